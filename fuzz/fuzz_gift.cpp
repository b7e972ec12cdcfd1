// Any bytes imported as a GIFT file: decoded as the bank tool decodes them,
// read as the multiple-choice subset of GIFT. The questions read are whole,
// and exported again they read back the same.
#include "fuzzsupport.h"
#include "importchecks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Importers::Decoded decoded = decodeChecked(bytesOf(data, size));
    const QString name = QStringLiteral("input.gift");
    Importers::Format format;
    FUZZ_CHECK(Importers::guessFormat(name, decoded.text, &format) && format == Importers::Format::Gift, name);
    const AikenSource::Parse parsed = Importers::parseGift(decoded.text, name);
    checkParsed(parsed, name, decoded.text);
    checkExportReadsBack(parsed.questions);
    return 0;
}
