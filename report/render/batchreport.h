// Reports of many surveys: one report per survey, made exactly as the
// single report of that survey is, on several worker threads.
#pragma once

#include "app/systemconfig.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>

enum class ReportKind { Pdf, Word, Image };

// "pdf", "docx" or "png".
QString reportSuffix(ReportKind kind);
// Where the report of `survey` goes in `outDir`: the survey's base name with
// the kind's suffix (P12.ard -> P12.pdf).
QString reportPathFor(const QString &outDir, const QString &survey, ReportKind kind);
// The files a report writes: the report, and for Word also its image.
QStringList reportFilesFor(const QString &output, ReportKind kind);

// Sets one report field by its name (strPileNum, fPileDiameter, ...); false
// with a reason for an unknown key or a value that does not fit the field.
bool setReportField(ProjectParams &p, const QString &key, const QString &value, QString *why);

// One report: the survey, where it goes and the fields given on top of the
// survey's own ("KEY=VALUE", already checked with setReportField).
struct ReportJob {
    ReportKind kind = ReportKind::Pdf;
    QString input;
    QString output;
    QString templatePath; // Word only; empty: the installed template
    QStringList fields;
};

// Opens the survey, takes its report fields (typed for this survey, else
// its header, then the project's) and the given ones, and writes the
// report through the safe writer. Touches no process-wide state, so it may
// run on a worker thread. False with the reason for the user; `warning`
// (if given) says what the report had to leave out (a conclusion cut to fit).
bool makeSurveyReport(const ReportJob &job, QString *error, QString *warning = nullptr);

struct BatchOutcome {
    enum State { Written, Kept, Failed, Cancelled };
    QString input;
    QString output;
    State state = Cancelled;
    QString error;
    QString warning; // written, but see this
};

struct BatchOptions {
    int workers = 1;
    bool overwrite = false; // replace existing reports (atomically)
    // Called after every survey from a worker thread: done so far, total.
    std::function<void(int done, int total, const BatchOutcome &)> progress;
    // Set to stop: reports under way are finished, no further one starts.
    const std::atomic<bool> *cancel = nullptr;
};

// Makes the reports of `jobs` with `workers` threads, each holding one
// survey at a time. An existing output is kept unless `overwrite`. The
// outcomes are in the order of `jobs`.
QVector<BatchOutcome> runReportBatch(const QVector<ReportJob> &jobs, const BatchOptions &options);
