// Word document automation: create a document from a template, write text
// and pictures at bookmarks, save and close. Written against the automation
// layer of axobject.h, so any server that honours these calls serves.
#pragma once

#include <QObject>
#include <QString>

class AxObject;

class WordEngineNew : public QObject
{
    Q_OBJECT
public:
    explicit WordEngineNew(QObject *parent = nullptr);
    ~WordEngineNew() override;

    bool createNewWord(const QString &templatePath);
    bool open(const QString &filePath);
    void setSaveFilePath(const QString &path) { m_strSaveFilePath = path; }
    QString saveFilePath() const { return m_strSaveFilePath; }

    bool setBookmarkText(const QString &bookmark, const QString &text);
    bool insertPicture(const QString &bookmark, const QString &file);
    // True when the document reached its file.
    bool save();
    // Saves first when `save` is set; returns the result of that save (true
    // when nothing was to be saved).
    bool close(bool save);

    bool isOpen() const { return m_pWord != nullptr; }
    QString serverName() const;
    // Why the last create, open or save failed, as far as the server says.
    QString lastError() const { return m_strLastError; }

private:
    bool startApplication();
    void takeServerError(const QString &fallback);

    AxObject *m_pWord = nullptr;
    AxObject *m_pWorkDocuments = nullptr;
    AxObject *m_pWorkDocument = nullptr;
    QString m_strSaveFilePath;
    QString m_strLastError;
    bool m_blOpened = false;
    bool m_blCreateNew = false;
};
