#pragma once

#include <QByteArrayView>
#include <initializer_list>
#include <memory>
#include <vector>

// The terminal's lines as the bytes they arrived as, bounded both in lines and in bytes: appending
// beyond either bound drops the oldest lines. Every line appended gets the next id, whatever was
// dropped or cleared before, so a line can be named by its id for as long as it is held. Appending
// costs one copy of the line's bytes; the store grows (by doubling) only while the lines held need
// more room, so a steady stream allocates nothing.
class TLineRing {
public:
    TLineRing(qsizetype maxLines, qsizetype maxBytes);

    // The parts are joined into one line; a line longer than the byte bound keeps its beginning.
    void append(std::initializer_list<QByteArrayView> parts);
    void clear();

    qsizetype count() const { return count_; }
    qint64 firstId() const { return endId_ - count_; }
    qint64 endId() const { return endId_; }
    bool holds(qint64 id) const { return id >= firstId() && id < endId_; }
    // The bytes of a held line; valid until the next append or clear.
    QByteArrayView line(qint64 id) const;
    // Bytes taken by the lines held, the unused ends of the store included.
    qint64 bytesHeld() const;
    // Bytes the store has taken from the system.
    qsizetype capacity() const { return capacity_; }

private:
    struct Entry {
        qint64 start;  // position in the endless run of bytes the store wraps around
        qsizetype size;
    };
    const Entry& entry(qint64 id) const;
    qint64 startFor(qsizetype size) const;
    // Whether a line at start would overwrite the oldest one held.
    bool wouldDrop(qint64 start, qsizetype size);
    // Moves the lines into a larger store.
    void grow(qsizetype capacity);

    const qsizetype maxLines_;
    const qsizetype maxBytes_;
    qsizetype capacity_;
    std::unique_ptr<char[]> store_;
    std::vector<Entry> entries_;
    qsizetype count_ = 0;
    qint64 endId_ = 0;
    qint64 endPosition_ = 0;
    // At most the start of the oldest line held.
    qint64 oldestStart_ = 0;
};
