#include "LineRing.h"

#include <algorithm>
#include <cstring>

namespace {

// The store starts this small and doubles while the lines held need more, up to the byte bound:
// a pane of short lines never takes the memory a pane of long ones may.
constexpr qsizetype kFirstCapacity = 1024 * 1024;

}  // namespace

TLineRing::TLineRing(qsizetype maxLines, qsizetype maxBytes)
    : maxLines_(maxLines),
      maxBytes_(maxBytes),
      capacity_(std::min(maxBytes, kFirstCapacity)),
      store_(std::make_unique_for_overwrite<char[]>(capacity_)),
      entries_(maxLines) {}

qint64 TLineRing::startFor(qsizetype size) const {
    // A line always lies in one piece: one that would run past the end of the store starts at its
    // beginning instead.
    qint64 start = endPosition_;
    if (start % capacity_ + size > capacity_)
        start += capacity_ - start % capacity_;
    return start;
}

bool TLineRing::wouldDrop(qint64 start, qsizetype size) {
    if (count_ == 0)
        return false;
    // Starts only grow, so an old look at the oldest line's start is a bound that spares most
    // appends a look into the index (a cache miss each, in a ring of 50,000 lines).
    const qint64 from = start + size - capacity_;
    if (oldestStart_ >= from)
        return false;
    oldestStart_ = entry(firstId()).start;
    return oldestStart_ < from;
}

void TLineRing::append(std::initializer_list<QByteArrayView> parts) {
    qsizetype size = 0;
    for (QByteArrayView part : parts)
        size += part.size();
    size = std::min(size, maxBytes_);

    qint64 start = startFor(size);
    if (capacity_ < maxBytes_ && (size > capacity_ || wouldDrop(start, size))) {
        grow(std::min(maxBytes_, std::max(2 * capacity_, 2 * size)));
        start = startFor(size);
    }
    while (count_ > 0 && (count_ == maxLines_ || wouldDrop(start, size)))
        --count_;

    char* to = store_.get() + start % capacity_;
    qsizetype left = size;
    for (QByteArrayView part : parts) {
        const qsizetype n = std::min(part.size(), left);
        if (n > 0)
            std::memcpy(to, part.data(), n);
        to += n;
        left -= n;
    }
    entries_[endId_ % maxLines_] = Entry{start, size};
    ++endId_;
    ++count_;
    endPosition_ = start + size;
}

void TLineRing::grow(qsizetype capacity) {
    auto store = std::make_unique_for_overwrite<char[]>(capacity);
    qint64 at = 0;
    for (qint64 id = firstId(); id < endId_; ++id) {
        Entry& e = entries_[id % maxLines_];
        std::memcpy(store.get() + at, store_.get() + e.start % capacity_, e.size);
        e.start = at;
        at += e.size;
    }
    store_ = std::move(store);
    capacity_ = capacity;
    endPosition_ = at;
    oldestStart_ = 0;
}

void TLineRing::clear() {
    count_ = 0;
}

QByteArrayView TLineRing::line(qint64 id) const {
    const Entry& e = entry(id);
    return QByteArrayView(store_.get() + e.start % capacity_, e.size);
}

qint64 TLineRing::bytesHeld() const {
    return count_ > 0 ? endPosition_ - entry(firstId()).start : 0;
}

const TLineRing::Entry& TLineRing::entry(qint64 id) const {
    return entries_[id % maxLines_];
}
