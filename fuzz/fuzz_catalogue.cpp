// Any bytes as the catalogue file mulu.txt: read as code page 936 (with the
// GB18030 four-byte sequences), split into labels. No label holds a CR, the
// labels joined again give the text back (a CR LF read as one line end), and
// writing the text again and reading it gives the same labels: a catalogue
// that the bank tool extends keeps every label it had, and gains the new one.
#include "fuzzsupport.h"

#include "bankbuilder.h"
#include "catalogue.h"
#include "codepage.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

QString scratchFile()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        propertyFailed(__FILE__, __LINE__, "dir.isValid()", dir.errorString());
    return dir.filePath(QString::fromLatin1(Catalogue::kFileName));
}

QString shownList(const QStringList &labels)
{
    QStringList parts;
    for (const QString &label : labels)
        parts << shown(label);
    return parts.join(QLatin1Char(' '));
}

// The bank tool adding a label to a catalogue holding these bytes.
void checkAppend(const QByteArray &bytes, const QStringList &labels)
{
    const QString path = scratchFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        propertyFailed(__FILE__, __LINE__, "catalogue written", file.errorString());
    file.close();
    const QString added = QStringLiteral("新类别 Unit 9");
    QString error;
    FUZZ_CHECK(BankBuilder::appendCatalogueLabels(path, {added}, &error), error);
    const Catalogue::LoadResult loaded = Catalogue::load(path);
    FUZZ_CHECK(loaded.ok, loaded.message);
    FUZZ_CHECK(loaded.labels == labels + QStringList{added},
               QStringLiteral("labels before: ") + shownList(labels) + QStringLiteral("\n  after adding one: ")
                   + shownList(loaded.labels));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QString text = CodePage::decode(bytes);
    const QStringList labels = Catalogue::splitLines(text);

    QString expected = text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    if (expected.endsWith(QLatin1Char('\r')))
        expected.chop(1);
    FUZZ_CHECK(labels.join(QLatin1Char('\r')) == expected, shown(text));
    for (const QString &label : labels)
        FUZZ_CHECK(!label.contains(QLatin1Char('\r')), shown(label));

    // Text read from the file is written back unchanged by the same rules.
    const QString again = CodePage::decode(CodePage::encode(text));
    FUZZ_CHECK(again == text, shown(text) + QStringLiteral(" came back as ") + shown(again));

    // The bank tool's way of writing labels: each ended by CR LF.
    const QByteArray written = BankBuilder::catalogueBytes(labels);
    const QStringList readBack = Catalogue::splitLines(CodePage::decode(written));
    FUZZ_CHECK(readBack == labels, shown(text) + QStringLiteral(": labels changed when written again"));

    checkAppend(bytes, labels);
    return 0;
}
