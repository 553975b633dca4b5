// The strip below the focused wave: filter window, cut-offs, order
// and manual gain of the shown wave, its main frequencies, the wave number,
// stepping and swapping buttons, clearing the flaw mark, accepting the
// wave's flaw suggestion and two display switches.
//
// The panel changes nothing itself: applying emits configChanged(index,
// settings) (-1 for all waves), clearing the mark flawPosChanged(index,
// -100) and accepting the suggestion suggestionAccepted(index); the main
// window asks the document, which filters again.
//
// The workspace hands the panel what it shows: the analysis records and the
// FFT results (shared with the document's model), the focused index, the
// display switches and the focused wave's suggestion.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"
#include "dsp/flawdetect.h"

#include <QString>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

class AnalysisHelperWidget : public QWidget
{
    Q_OBJECT
public:
    // Shows a message to the user (default: a message box titled "提示").
    using MessageFunc = std::function<void(const QString &)>;

    static constexpr int kOrderStep = 2;

    explicit AnalysisHelperWidget(QWidget *parent = nullptr);

    void setMessageFunc(MessageFunc func);

    // Window code (0 rectangle .. 4 Blackman) <-> item of cBoxFilterType,
    // whose items run from Blackman down to rectangle. -1 when out of range.
    static int windowItemForCode(int code);
    static int windowCodeForItem(int item);
    // Item of cBoxBkColor for the background setting: 0 "白色" (white) for
    // false, 1 "黑色" (black) for true.
    static int bkColorItemFor(bool black);

    // Checks the form's texts; on success fills `out`, else returns false
    // and sets `message` to the reason.
    bool readSettings(WaveParams *out, QString *message) const;

    // The records to read, and the focused one (-1: none).
    void setWaves(const WaveAnalyzeInfoList &infos, const FftInfoList &ffts, int focusIndex);
    void clearWaves();
    int focusWaveIndex() const { return m_nFocusWaveIndex; }
    // Shows the record at `index`; its suggestion is gone until
    // setSuggestion() hands the new one.
    void setFocusWaveIndex(int index);
    // Reads the focused record again (after it was edited in place).
    void refresh();
    // The display state the two switches show; normalised waves take no
    // manual gain.
    void setDisplaySwitches(bool blackBackground, bool fill, bool normalized);
    // The focused wave's suggestion (invalid: none) and its text, shown as
    // the tool tip of "采纳建议".
    void setSuggestion(const dsp::FlawSuggestion &suggestion, const QString &text);

signals:
    void waveGroupMoved(int step);
    void waveGroupSwaped(int step);
    void flawPosChanged(int nWaveIndex, int nFlawPos);
    void suggestionAccepted(int nWaveIndex);
    void waveStyleFillChanged();
    void waveBkColorChanged();
    void configChanged(int index, WaveParams params);

private slots:
    void on_btnPreviousWaveData_clicked();
    void on_btnNextWaveData_clicked();
    void on_btnSaveFilterWaveData_clicked();
    void on_btnSaveFilterWaveDataAll_clicked();
    void on_btnClearCurMark_clicked();
    void on_btnAcceptSuggestion_clicked();
    void on_checkBoxIsWaveStyleFill_clicked();
    void on_cBoxBkColor_currentIndexChanged(int index);
    void on_btnSwapPreviousWave_clicked();
    void on_btnSwapNextWave_clicked();
    void on_btnFilterOrderSub_clicked();
    void on_btnFilterOrderAdd_clicked();

private:
    void buildUi();
    void showRecord(int index);
    void showDisplaySwitches();
    // "采纳建议" is enabled while the shown wave has a suggestion other than
    // its mark.
    void showSuggestionState();
    void stepFilterOrder(int delta);
    bool readSettingsOrComplain(WaveParams *out);
    WaveAnalyzeInfoPtr recordAt(int index) const;

    MessageFunc m_messageFunc;
    WaveAnalyzeInfoList m_infos;
    FftInfoList m_ffts;
    int m_nFocusWaveIndex = -1;
    bool m_blBlackBackground = false;
    bool m_blFill = false;
    bool m_blNormalized = false;
    dsp::FlawSuggestion m_suggestion;
    QString m_strSuggestion;

    QVBoxLayout *m_pRowsLayout = nullptr;
    QLabel *m_pLabelFilterType = nullptr;
    QComboBox *m_pCBoxFilterType = nullptr;
    QLabel *m_pLabelLowPassFreq = nullptr;
    QLineEdit *m_pLEditLowPassFreq = nullptr;
    QLabel *m_pLabelHighPassFreq = nullptr;
    QLineEdit *m_pLEditHighPassFreq = nullptr;
    QLabel *m_pLabelFilterOrder = nullptr;
    QPushButton *m_pBtnFilterOrderSub = nullptr;
    QLineEdit *m_pLEditFilterOrder = nullptr;
    QPushButton *m_pBtnFilterOrderAdd = nullptr;
    QLabel *m_pLabelMainFreqName = nullptr;
    QLabel *m_pLabelMainFreq = nullptr;
    QPushButton *m_pBtnSaveFilterWaveData = nullptr;
    QPushButton *m_pBtnSaveFilterWaveDataAll = nullptr;
    QLabel *m_pLabelBkColor = nullptr;
    QComboBox *m_pCBoxBkColor = nullptr;
    QLabel *m_pLabelManualGainName = nullptr;
    QLineEdit *m_pLEditManualGain = nullptr;
    QLabel *m_pLabelCurWaveDataIndexName = nullptr;
    QLabel *m_pLabelCurWaveDataIndex = nullptr;
    QPushButton *m_pBtnSwapPreviousWave = nullptr;
    QPushButton *m_pBtnSwapNextWave = nullptr;
    QPushButton *m_pBtnPreviousWaveData = nullptr;
    QPushButton *m_pBtnNextWaveData = nullptr;
    QPushButton *m_pBtnClearCurMark = nullptr;
    QPushButton *m_pBtnAcceptSuggestion = nullptr;
    QCheckBox *m_pCheckBoxIsWaveStyleFill = nullptr;
};
