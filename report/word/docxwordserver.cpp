#include "docxwordserver.h"

#include "report/word/docxpackage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

using PackagePtr = QSharedPointer<DocxPackage>;

struct WordState {
    QList<PackagePtr> documents;
    PackagePtr active;
    PackagePtr selectionDocument;
    QString selectionBookmark;
    bool visible = false;
    bool displayAlerts = true;
    QString lastError; // why the last Add, Open or Save failed
};
using StatePtr = QSharedPointer<WordState>;

// Member name without its argument list: "Bookmarks(QString)" -> "Bookmarks".
QString memberName(const QString &member)
{
    const int paren = member.indexOf(QLatin1Char('('));
    return (paren < 0 ? member : member.left(paren)).trimmed();
}

QString alignmentValue(const QVariant &v)
{
    const QString s = v.toString().trimmed();
    if (s == QLatin1String("wdAlignParagraphCenter") || s == QLatin1String("1"))
        return QStringLiteral("center");
    if (s == QLatin1String("wdAlignParagraphRight") || s == QLatin1String("2"))
        return QStringLiteral("right");
    if (s == QLatin1String("wdAlignParagraphJustify") || s == QLatin1String("3"))
        return QStringLiteral("both");
    if (s == QLatin1String("wdAlignParagraphLeft") || s == QLatin1String("0"))
        return QStringLiteral("left");
    return QString();
}

class WordObject : public AxDispatch
{
public:
    enum Kind { Application, Documents, Document, Bookmark, Range, Selection, ParagraphFormat, InlineShapes };

    WordObject(Kind kind, const StatePtr &state, const PackagePtr &doc = PackagePtr(),
               const QString &bookmark = QString())
        : m_kind(kind)
        , m_state(state)
        , m_doc(doc)
        , m_bookmark(bookmark)
    { }

    Kind kind() const { return m_kind; }
    PackagePtr document() const { return m_doc; }
    QString bookmark() const { return m_bookmark; }

    AxDispatchPtr subObject(const QString &member, const QVariantList &args) override
    {
        const QString name = memberName(member);
        switch (m_kind) {
        case Application:
            if (name == QLatin1String("Documents"))
                return make(Documents);
            if (name == QLatin1String("ActiveDocument"))
                return m_state->active ? make(Document, m_state->active) : AxDispatchPtr();
            if (name == QLatin1String("Selection"))
                return make(Selection);
            break;
        case Document:
            if (name == QLatin1String("Bookmarks") && !args.isEmpty()) {
                const QString bm = args.first().toString();
                return m_doc->hasBookmark(bm) ? make(Bookmark, m_doc, bm) : AxDispatchPtr();
            }
            if (name == QLatin1String("InlineShapes"))
                return make(InlineShapes, m_doc);
            break;
        case Bookmark:
            if (name == QLatin1String("Range"))
                return make(Range, m_doc, m_bookmark);
            break;
        case Selection:
            if (name == QLatin1String("ParagraphFormat") && m_state->selectionDocument)
                return make(ParagraphFormat, m_state->selectionDocument, m_state->selectionBookmark);
            break;
        default: break;
        }
        return AxDispatchPtr();
    }

    QVariant call(const QString &member, const QVariantList &args) override
    {
        const QString name = memberName(member);
        switch (m_kind) {
        case Application:
            if (name == QLatin1String("LastError"))
                return m_state->lastError;
            if (name == QLatin1String("Quit")) {
                m_state->documents.clear();
                m_state->active.reset();
                m_state->selectionDocument.reset();
                return true;
            }
            break;
        case Documents:
            if ((name == QLatin1String("Add") || name == QLatin1String("Open")) && !args.isEmpty()) {
                PackagePtr doc(new DocxPackage);
                const QString path = QDir::fromNativeSeparators(args.first().toString());
                if (!doc->load(path, &m_state->lastError))
                    return false;
                if (name == QLatin1String("Add") && !doc->switchTemplateToDocument()) {
                    m_state->lastError =
                        QCoreApplication::translate("DocxWordServer", "模板 %1 的主文档类型无法识别").arg(path);
                    return false;
                }
                m_state->documents.append(doc);
                m_state->active = doc;
                return true;
            }
            break;
        case Document:
            if (name == QLatin1String("SaveAs") && !args.isEmpty())
                return m_doc->save(QDir::fromNativeSeparators(args.first().toString()), &m_state->lastError);
            if (name == QLatin1String("Save"))
                return !m_doc->sourcePath().isEmpty() && m_doc->save(m_doc->sourcePath(), &m_state->lastError);
            if (name == QLatin1String("Close")) {
                m_state->documents.removeAll(m_doc);
                if (m_state->active == m_doc)
                    m_state->active = m_state->documents.isEmpty() ? PackagePtr() : m_state->documents.last();
                if (m_state->selectionDocument == m_doc)
                    m_state->selectionDocument.reset();
                return true;
            }
            break;
        case Bookmark:
            if (name == QLatin1String("Select")) {
                m_state->selectionDocument = m_doc;
                m_state->selectionBookmark = m_bookmark;
                return true;
            }
            break;
        case ParagraphFormat:
            if (name == QLatin1String("Alignment") && !args.isEmpty())
                return setValue(name, args.first());
            break;
        case InlineShapes:
            if (name == QLatin1String("AddPicture") && !args.isEmpty()) {
                // The anchor is the fourth argument; without one the picture
                // goes to the selection.
                QString bm = m_state->selectionDocument == m_doc ? m_state->selectionBookmark : QString();
                if (args.size() >= 4) {
                    auto anchor = AxObject::dispatchOf(args.at(3)).dynamicCast<WordObject>();
                    if (!anchor || anchor->document() != m_doc)
                        return false;
                    bm = anchor->bookmark();
                }
                if (bm.isEmpty())
                    return false;
                return m_doc->addPictureAtBookmark(bm, QDir::fromNativeSeparators(args.first().toString()));
            }
            break;
        default: break;
        }
        return QVariant();
    }

    bool setValue(const QString &property, const QVariant &value) override
    {
        switch (m_kind) {
        case Application:
            if (property == QLatin1String("Visible")) {
                m_state->visible = value.toBool();
                return true;
            }
            if (property == QLatin1String("DisplayAlerts")) {
                m_state->displayAlerts = value.toBool();
                return true;
            }
            break;
        case Range:
            if (property == QLatin1String("Text"))
                return m_doc->setBookmarkText(m_bookmark, value.toString());
            break;
        case ParagraphFormat:
            if (property == QLatin1String("Alignment")) {
                const QString jc = alignmentValue(value);
                return !jc.isEmpty() && m_doc->setBookmarkParagraphAlignment(m_bookmark, jc);
            }
            break;
        default: break;
        }
        return false;
    }

private:
    AxDispatchPtr make(Kind kind, const PackagePtr &doc = PackagePtr(), const QString &bm = QString())
    {
        return AxDispatchPtr(new WordObject(kind, m_state, doc, bm));
    }

    Kind m_kind;
    StatePtr m_state;
    PackagePtr m_doc;
    QString m_bookmark;
};

} // namespace

AxDispatchPtr createDocxWordApplication()
{
    return AxDispatchPtr(new WordObject(WordObject::Application, StatePtr(new WordState)));
}
