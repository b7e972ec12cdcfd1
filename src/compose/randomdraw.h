#pragma once

#include <QList>

#include <functional>

// The question numbers of an intelligent paper, drawn at random.
namespace RandomDraw {

// Gives numbers uniformly distributed in [0, 1).
using UniformSource = std::function<double()>;

// A generator of its own, seeded from the clock when it is made: one per
// composition, so that every click gives another paper.
UniformSource clockSeededSource();

// k distinct numbers from 1 to n, in the order drawn: for each position r is
// drawn and x = floor(r * n) + 1; a number already drawn is drawn again.
// k is capped at n, so the loop always ends.
QList<qint32> distinctNumbers(qint32 k, qint32 n, const UniformSource &uniform);

} // namespace RandomDraw
