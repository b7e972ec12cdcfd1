#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: turning the fuzzer's bytes into text, and a
// check that stops the run (and so keeps the input) when a property fails.

// The bytes as UTF-8, as a file or a paste would arrive (invalid sequences
// become U+FFFD, so the text is valid Unicode).
QString utf8Text(const uint8_t *data, size_t size);

// Any sequence of UTF-16 code units, lone surrogates included: what a text
// box may hold. The first byte chooses: 0 means the rest are UTF-16 code
// units (little-endian), anything else means the whole input is UTF-8.
QString anyText(const uint8_t *data, size_t size);

QByteArray bytesOf(const uint8_t *data, size_t size);

// A QCoreApplication for the targets that need Qt's plugins (the SQL driver).
void ensureApplication();

[[noreturn]] void propertyFailed(const char *file, int line, const char *condition, const QString &detail);

#define FUZZ_CHECK(condition, detail)                                                                                  \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            propertyFailed(__FILE__, __LINE__, #condition, (detail));                                                  \
    } while (false)

// A text for a message: quoted, with line ends and other controls escaped.
QString shown(const QString &text);
