#pragma once

#include <QString>
#include <random>

namespace hv::test {

// A seeded source of the texts a careless or hostile user types or pastes:
// quotes and SQL, byte-order marks (often leading), no-break spaces, every
// kind of line break, bidirectional marks, emoji and joined sequences,
// control characters, noncharacters, now and then a NUL, and now and then a
// text of 100 kB. The same seed gives the same texts.
class HostileText {
public:
    explicit HostileText(quint32 seed);

    QString next();

private:
    int below(int bound);
    bool chance(double probability);

    std::mt19937 m_random;
};

}  // namespace hv::test
