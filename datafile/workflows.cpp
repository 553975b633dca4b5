#include "datafile/workflows.h"

#include "datafile/flawsuggest.h"

#include <QtConcurrent/QtConcurrentRun>

// ---- Opening ------------------------------------------------------------------

OpenController::OpenController(KvrDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    connect(&m_watcher, &QFutureWatcher<LoadedSurvey>::finished, this, &OpenController::onLoaded);
}

// The worker reports its progress to this object, so it must have ended.
OpenController::~OpenController() { m_watcher.waitForFinished(); }

bool OpenController::start(const QString &path)
{
    if (m_running)
        return false;
    m_running = true;
    m_path = path;
    auto progress = [this](int percent) {
        QMetaObject::invokeMethod(
            this, [this, percent]() { emit this->progress(percent); }, Qt::QueuedConnection);
    };
    m_watcher.setFuture(QtConcurrent::run([path, progress]() { return KvrDocument::load(path, progress); }));
    return true;
}

void OpenController::onLoaded()
{
    const QString path = m_path;
    m_running = false;
    m_path.clear();
    const DocResult result = m_document.adopt(m_watcher.result());
    emit finished(result, path);
}

// ---- Flaw suggestions -----------------------------------------------------------

namespace {

FoundSuggestions detect(const WaveGroupList &filtered, const WaveGroupList &originals, const WaveAnalyzeInfoList &waves)
{
    return {waves, flawsuggest::suggest(filtered, originals, waves)};
}

} // namespace

SuggestController::SuggestController(const KvrDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    connect(&m_watcher, &QFutureWatcher<FoundSuggestions>::finished, this, &SuggestController::onFound);
}

SuggestController::~SuggestController() = default;

bool SuggestController::start()
{
    if (m_running || !m_document.isOpen())
        return false;
    m_running = true;
    // The lists share the records and sample buffers: copies of the lists
    // keep them alive while the detector reads them.
    const MeasurementModel &model = m_document.model();
    const WaveGroupList filtered = model.filterWaveGroupList();
    const WaveGroupList originals = model.waveGroupList();
    const WaveAnalyzeInfoList waves = model.waveAnalyzeInfoList();
    m_watcher.setFuture(
        QtConcurrent::run([filtered, originals, waves]() { return detect(filtered, originals, waves); }));
    return true;
}

FoundSuggestions SuggestController::findNow(const KvrDocument &document)
{
    const MeasurementModel &model = document.model();
    return detect(model.filterWaveGroupList(), model.waveGroupList(), model.waveAnalyzeInfoList());
}

void SuggestController::onFound()
{
    m_running = false;
    emit finished(m_watcher.result());
}
