// The Word engine on a damaged template: create a document from it, fill
// the bookmarks, insert the report image, save, and load what was saved.
//
// What must hold: no crash; a document that was saved is a package that
// loads again and still holds the bookmarks that were filled.
//
// Built with KVR_FUZZ_EXPAND (fuzz_word_expand) the input is a compact seed
// (fuzzsupport.h) that expands to the main document part of a template,
// which the harness packs with its content types.
#include "tests/fuzz/fuzzsupport.h"

#include "io/ziparchive.h"
#include "report/word/docxpackage.h"
#include "report/word/wordenginenew.h"

#include <QBuffer>
#include <QImage>

#ifdef KVR_FUZZ_EXPAND
#endif

namespace {

constexpr size_t kMaxInput = 256 * 1024;
#ifdef KVR_FUZZ_EXPAND
// A part larger than every budget of the template reader.
constexpr int kExpandedCap = 16 * 1024 * 1024;

// A template package around `documentXml`, stored without compression.
QByteArray packTemplate(const QByteArray &documentXml)
{
    const QByteArray types =
        "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-"
        "officedocument.wordprocessingml.template.main+xml\"/></Types>";
    QByteArray bytes;
    if (!kvrzip::writeArchive(
            {{QStringLiteral("[Content_Types].xml"), types}, {QStringLiteral("word/document.xml"), documentXml}},
            &bytes, kvrzip::Method::Store))
        fuzz::fail("zip", __FILE__, __LINE__);
    return bytes;
}
#endif

QString reportImage()
{
    static QString path;
    if (path.isEmpty()) {
        path = fuzz::scratch(QStringLiteral("image.png"));
        QImage image(24, 12, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        if (!image.save(path, "PNG"))
            fuzz::fail("image.save", __FILE__, __LINE__);
    }
    return path;
}

const char *const kBookmarks[] = {"bookmarkTitle",  "bookmarkGD",        "bookmarkProject",
                                  "bookmarkReault", "bookmarkPileDepth", "bookmarkDateReport"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const QString image = reportImage();
    const QString tpl = fuzz::scratch(QStringLiteral("template.dotx"));
    const QString out = fuzz::scratch(QStringLiteral("report.docx"));
    QFile::remove(out);
#ifdef KVR_FUZZ_EXPAND
    const QByteArray packed = packTemplate(fuzz::expand(data, size, kExpandedCap));
    FUZZ_CHECK(fuzz::writeFile(tpl, reinterpret_cast<const uint8_t *>(packed.constData()), size_t(packed.size())));
#else
    FUZZ_CHECK(fuzz::writeFile(tpl, data, size));
#endif

    // Bookmarks the template has; the engine skips the others silently.
    QStringList filled;
    {
        DocxPackage source;
        if (source.load(tpl)) {
            for (const char *b : kBookmarks)
                if (source.hasBookmark(QString::fromLatin1(b)))
                    filled << QString::fromLatin1(b);
        }
    }
    bool saved = false;
    {
        WordEngineNew word;
        if (!word.createNewWord(tpl))
            return 0;
        for (const char *b : kBookmarks)
            word.setBookmarkText(QString::fromLatin1(b), QStringLiteral("桥梁基桩\n第二行\t12.5 m"));
        word.insertPicture(QStringLiteral("bookmarkImage"), image);
        word.setSaveFilePath(out);
        saved = word.close(true);
    }
    if (!saved)
        return 0;
    DocxPackage package;
    QString error;
    FUZZ_CHECK(package.load(out, &error));
    for (const QString &b : qAsConst(filled))
        FUZZ_CHECK(package.hasBookmark(b));
    return 0;
}
