#include "wordenginenew.h"

#include "report/word/axobject.h"

#include <QCoreApplication>
#include <QDir>
#include <QVariant>

WordEngineNew::WordEngineNew(QObject *parent)
    : QObject(parent)
{ }

WordEngineNew::~WordEngineNew() { close(false); }

QString WordEngineNew::serverName() const { return m_pWord ? m_pWord->control() : QString(); }

void WordEngineNew::takeServerError(const QString &fallback)
{
    const QString reported = m_pWord ? m_pWord->dynamicCall("LastError()").toString() : QString();
    m_strLastError = reported.isEmpty() ? fallback : reported;
}

bool WordEngineNew::startApplication()
{
    m_pWord = new AxObject();
    if (m_pWord->setControl(QStringLiteral("word.Application"))) {
        qDebug("createNewWord: 打开word程序成功!");
    } else {
        qDebug("createNewWord: 打开word程序失败，尝试打开WPS程序!");
        if (!m_pWord->setControl(QStringLiteral("kwps.Application"))) {
            qDebug("createNewWord: 打开word程序失败!");
            m_strLastError = QCoreApplication::translate("WordEngine", "没有可用的Word或WPS程序");
            delete m_pWord;
            m_pWord = nullptr;
            return false;
        }
    }
    m_pWord->setProperty("Visible", false);
    m_pWorkDocuments = m_pWord->querySubObject("Documents");
    return m_pWorkDocuments != nullptr;
}

bool WordEngineNew::createNewWord(const QString &templatePath)
{
    m_strLastError.clear();
    if (templatePath.isEmpty())
        return false;
    if (m_pWord)
        close(false);
    if (!startApplication())
        return false;
    m_pWorkDocuments->dynamicCall("Add(QString)", templatePath);
    m_pWorkDocument = m_pWord->querySubObject("ActiveDocument");
    if (m_pWorkDocument) {
        qDebug("createNewWord: 创建word文档成功!");
        m_blCreateNew = true;
        return true;
    }
    qDebug("createNewWord: 创建word文档失败!");
    takeServerError(QCoreApplication::translate("WordEngine", "无法从模板 %1 创建文档").arg(templatePath));
    m_blCreateNew = false;
    return false;
}

bool WordEngineNew::open(const QString &filePath)
{
    m_strLastError.clear();
    if (filePath.isEmpty())
        return false;
    if (m_pWord)
        close(false);
    if (!startApplication())
        return false;
    m_pWorkDocuments->dynamicCall("Open(const QString&)", filePath);
    m_pWorkDocument = m_pWord->querySubObject("ActiveDocument");
    m_blOpened = m_pWorkDocument != nullptr;
    if (!m_blOpened)
        takeServerError(QCoreApplication::translate("WordEngine", "无法打开文档 %1").arg(filePath));
    return m_blOpened;
}

bool WordEngineNew::setBookmarkText(const QString &bookmark, const QString &text)
{
    if (!m_pWorkDocument)
        return false;
    AxObject *mark = m_pWorkDocument->querySubObject("Bookmarks(QString)", bookmark);
    if (!mark)
        return true; // a bookmark the template lacks is skipped
    mark->dynamicCall("Select(void)");
    AxObject *range = mark->querySubObject("Range");
    const bool ok = range && range->setProperty("Text", text);
    delete mark;
    return ok;
}

bool WordEngineNew::insertPicture(const QString &bookmark, const QString &file)
{
    if (!m_pWorkDocument)
        return false;
    AxObject *mark = m_pWorkDocument->querySubObject("Bookmarks(QString)", bookmark);
    if (!mark)
        return true;
    mark->dynamicCall("Select(void)");
    if (AxObject *selection = m_pWord->querySubObject("Selection")) {
        if (AxObject *format = selection->querySubObject("ParagraphFormat"))
            format->dynamicCall("Alignment", "wdAlignParagraphCenter");
        delete selection;
    }
    AxObject *range = mark->querySubObject("Range");
    bool ok = false;
    if (AxObject *shapes = m_pWorkDocument->querySubObject("InlineShapes")) {
        QList<QVariant> args;
        args << file << false << true << (range ? range->asVariant() : QVariant());
        ok = shapes->dynamicCall("AddPicture(const QString&, QVariant, QVariant, QVariant)", args).toBool();
        delete shapes;
    }
    delete mark;
    return ok;
}

bool WordEngineNew::save()
{
    if (!m_pWorkDocument)
        return false;
    bool saved = false;
    if (m_blCreateNew && !m_strSaveFilePath.isEmpty()) {
        qDebug("保存新文件!");
        saved = m_pWorkDocument->dynamicCall("SaveAs(const QString&)", QDir::toNativeSeparators(m_strSaveFilePath))
                    .toBool();
    } else if (m_blOpened) {
        qDebug("保存已经更改后的文件!");
        saved = m_pWorkDocument->dynamicCall("Save()").toBool();
    } else {
        return false;
    }
    if (!saved)
        takeServerError(QCoreApplication::translate("WordEngine", "无法保存文档 %1").arg(m_strSaveFilePath));
    return saved;
}

bool WordEngineNew::close(bool blSave)
{
    bool saved = true;
    if (blSave)
        saved = save();
    if (m_pWord)
        m_pWord->setProperty("DisplayAlerts", false);
    if (m_pWorkDocument)
        m_pWorkDocument->dynamicCall("Close(BOOL)", false);
    if (m_pWord)
        m_pWord->dynamicCall("Quit()");
    delete m_pWorkDocuments;
    m_pWorkDocuments = nullptr;
    delete m_pWord; // the document wrapper is one of its children
    m_pWord = nullptr;
    m_pWorkDocument = nullptr;
    m_blOpened = false;
    m_blCreateNew = false;
    m_strSaveFilePath.clear();
    return saved;
}
