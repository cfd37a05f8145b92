#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include "LineRing.h"

namespace {

QByteArray LineOf(int number, qsizetype size) {
    QByteArray line = QByteArray::number(number) + ':';
    while (line.size() < size)
        line += char('a' + line.size() % 26);
    return line.left(size);
}

struct RingCase {
    const char* what;
    qsizetype maxLines;
    qsizetype maxBytes;
    qsizetype shortest;  // line sizes are drawn from [shortest, longest]
    qsizetype longest;
};

// Whatever sizes arrive, the ring holds the newest lines as they were appended, within both
// bounds, and drops no more of the old ones than the bytes require.
TEST(LineRing, HoldsTheNewestLinesIntactWithinBothBounds) {
    const RingCase cases[] = {
        {"short lines, the line bound binds", 100, 1 << 20, 0, 80},
        {"long lines, the byte bound binds", 100000, 64 * 1024, 3000, 4100},
        {"sizes all over, the store grows and wraps", 5000, 4 << 20, 0, 9000},
        {"lines longer than the whole bound keep their start", 10, 4096, 3000, 9000},
    };
    for (const RingCase& c : cases) {
        SCOPED_TRACE(c.what);
        TLineRing ring(c.maxLines, c.maxBytes);
        QRandomGenerator random(42);
        QList<QByteArray> appended;
        for (int i = 0; i < 6000; ++i) {
            const qsizetype size = c.shortest + random.bounded(int(c.longest - c.shortest + 1));
            appended.append(LineOf(i, size));
            const QByteArray& line = appended.last();
            // Appended in parts, as a stamp and its line are.
            ring.append({QByteArrayView(line).first(line.size() / 3),
                         QByteArrayView(line).sliced(line.size() / 3)});

            ASSERT_EQ(ring.endId(), i + 1);
            ASSERT_LE(ring.count(), c.maxLines);
            ASSERT_LE(ring.bytesHeld(), c.maxBytes);
            ASSERT_LE(ring.capacity(), c.maxBytes);
            ASSERT_TRUE(ring.holds(i));
            if (i % 97 != 0)
                continue;
            qsizetype held = 0;
            for (qint64 id = ring.firstId(); id < ring.endId(); ++id) {
                const QByteArray& sent = appended[id];
                ASSERT_EQ(ring.line(id),
                          QByteArrayView(sent).first(std::min(sent.size(), c.maxBytes)))
                    << id;
                held += ring.line(id).size();
            }
            // An older line was dropped only for want of room: it would not have fitted beside
            // the ones held (the end of the store a line did not fit into is room lost, too).
            if (ring.count() < c.maxLines && ring.firstId() > 0) {
                ASSERT_GT(held + appended[ring.firstId() - 1].size() + c.longest, ring.capacity())
                    << i;
            }
        }
        ring.clear();
        EXPECT_EQ(ring.count(), 0);
        ring.append({"after"});
        EXPECT_EQ(ring.line(ring.endId() - 1), QByteArrayView("after"));
    }
}

}  // namespace
