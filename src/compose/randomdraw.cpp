#include "randomdraw.h"

#include <QtGlobal>

#include <chrono>
#include <cmath>
#include <memory>
#include <random>

namespace RandomDraw {

UniformSource clockSeededSource()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    auto engine = std::make_shared<std::mt19937_64>(quint64(ticks));
    return [engine] {
        // The top 53 bits as a fraction: never 1.0, which some
        // uniform_real_distribution implementations may return.
        return double((*engine)() >> 11) * (1.0 / 9007199254740992.0);
    };
}

QList<qint32> distinctNumbers(qint32 k, qint32 n, const UniformSource &uniform)
{
    QList<qint32> drawn;
    if (n <= 0 || k <= 0)
        return drawn;
    k = qMin(k, n);
    drawn.reserve(k);
    while (drawn.size() < k) {
        const double r = uniform();
        // floor(r * n) + 1, kept within 1..n against rounding at r close to 1.
        const qint32 x = qBound(1, qint32(std::floor(r * double(n))) + 1, n);
        if (!drawn.contains(x))
            drawn.append(x);
    }
    return drawn;
}

} // namespace RandomDraw
