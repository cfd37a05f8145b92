#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// Local date-and-time texts for stamping lines, built by hand from one clock reading. Each keeps
// the text up to the minute and redoes it only when a reading leaves that minute, so a stamp costs
// a few divisions. The text returned stays valid until the next call of the same function on the
// same thread.

// "yyyy-mm-dd hhnnsszzz", the line log's stamp: "2025-03-03 140509042".
QByteArrayView LogStamp(qint64 msSinceEpoch);
// "yyyy-mm-dd hh:nn:ss.zzz", the terminal's stamp: "2025-03-03 14:05:09.042".
QByteArrayView DisplayStamp(qint64 msSinceEpoch);
