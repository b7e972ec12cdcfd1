// Any bytes imported as a tab-separated file from a spreadsheet: decoded as
// the bank tool decodes them, split into rows (quoted fields may hold tabs
// and line ends), a header row recognised. The questions read are whole,
// and exported again they read back the same. The same text, its format
// guessed from the content alone, is read without a crash.
#include "fuzzsupport.h"
#include "importchecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Importers::Decoded decoded = decodeChecked(bytesOf(data, size));
    const QString name = QStringLiteral("input.tsv");
    const AikenSource::Parse parsed = Importers::parseTsv(decoded.text, name, QStringLiteral("默认类别"));
    checkParsed(parsed, name, decoded.text);
    checkExportReadsBack(parsed.questions);

    Importers::Format guessed;
    const QString unnamed = QStringLiteral("input.txt");
    if (Importers::guessFormat(unnamed, decoded.text, &guessed))
        checkParsed(Importers::parse(guessed, decoded.text, unnamed), unnamed, decoded.text);
    return 0;
}
