#pragma once

#include <QString>
#include <QStringList>

// Deterministic banks for benchmarks and large-bank tests: realistic text
// sizes (a question of 150–400 characters with its four choices), a one-letter
// answer, 20 categories, and the matching catalogue.
namespace BenchBank {

inline constexpr int kCategoryCount = 20;

QStringList categoryLabels();

// Writes english.db and mulu.txt into dir (both must not exist yet).
bool generate(const QString &dir, int rows, QString *error, quint32 seed = 20261206u);

} // namespace BenchBank
