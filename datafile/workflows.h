// The long workflows on an open survey, as objects that report by signals:
// opening (reading and processing on a worker thread, the document adopting
// the result on the thread the controller lives in) and finding flaw
// suggestions (the detector on a worker thread over the survey as it was
// when it began). The window starts them and goes on with its own event
// loop; kvr-cli runs the same work on its own thread (the *Now functions).
//
// While a workflow runs, its caller must not change the survey: the
// detector reads the document's sample buffers, and an open replaces the
// document when it ends.
#pragma once

#include "datafile/kvrdocument.h"
#include "datafile/records.h"
#include "dsp/flawdetect.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QVector>

class OpenController : public QObject
{
    Q_OBJECT
public:
    explicit OpenController(KvrDocument &document, QObject *parent = nullptr);
    ~OpenController() override;

    bool isRunning() const { return m_running; }
    // Starts opening `path`; false (and nothing starts) while an open runs.
    bool start(const QString &path);
    // The path being opened (empty when none).
    QString path() const { return m_path; }

signals:
    // Now and then while reading and processing, with the percentage done.
    void progress(int percent);
    // The document took the survey (result.ok) or stayed as it was.
    void finished(const DocResult &result, const QString &path);

private:
    void onLoaded();

    KvrDocument &m_document;
    QFutureWatcher<LoadedSurvey> m_watcher;
    QString m_path;
    bool m_running = false;
};

// The detector's result: one suggestion per record of `waves`, the analysis
// list as it was when the run began.
struct FoundSuggestions {
    WaveAnalyzeInfoList waves;
    QVector<dsp::FlawSuggestion> suggestions;
};

class SuggestController : public QObject
{
    Q_OBJECT
public:
    explicit SuggestController(const KvrDocument &document, QObject *parent = nullptr);
    ~SuggestController() override;

    bool isRunning() const { return m_running; }
    // Starts the detector on the survey's waves as they are now; false while
    // a run goes on or no survey is open.
    bool start();
    // The same on the calling thread.
    static FoundSuggestions findNow(const KvrDocument &document);

signals:
    void finished(const FoundSuggestions &found);

private:
    void onFound();

    const KvrDocument &m_document;
    QFutureWatcher<FoundSuggestions> m_watcher;
    bool m_running = false;
};
