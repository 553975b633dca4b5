// The "accept all above a confidence" dialog of the flaw suggestions: a
// slider for the confidence, the number of suggestions it would accept, and
// whether marks already set by the engineer may be replaced.
#pragma once

#include <QDialog>
#include <QVector>

class QCheckBox;
class QLabel;
class QSlider;

class SuggestionAcceptDialog : public QDialog
{
    Q_OBJECT
public:
    // One entry per wave with a suggestion: its confidence (0..1) and whether
    // the wave already carries a mark.
    struct Entry {
        double confidence = 0.0;
        bool marked = false;
    };

    explicit SuggestionAcceptDialog(const QVector<Entry> &entries, double threshold, QWidget *parent = nullptr);

    double threshold() const;
    void setThreshold(double threshold);
    bool replaceMarks() const;
    void setReplaceMarks(bool replace);
    // How many suggestions the present choice accepts.
    int acceptedCount() const { return countAccepted(m_entries, threshold(), replaceMarks()); }

    static int countAccepted(const QVector<Entry> &entries, double threshold, bool replaceMarks);

private:
    void refresh();

    QVector<Entry> m_entries;
    QSlider *m_pSlider = nullptr;
    QLabel *m_pLabelThreshold = nullptr;
    QLabel *m_pLabelCount = nullptr;
    QCheckBox *m_pCheckReplace = nullptr;
};
