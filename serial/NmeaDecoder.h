#pragma once

#include <QByteArray>
#include <QList>

// The fields of a sentence: index 0 is the head ("$GPGGA"), index n the n-th field after it. Empty
// fields keep their place; there is always one field more than there are delimiters.
QList<QByteArray> SplitFields(const QByteArray& text, char delimiter);

// An NMEA "ddmm.mmmm" / "dddmm.mmmm" value and its hemisphere in signed decimal degrees; 0 when the
// value is empty or malformed.
double ParseCoordinate(const QByteArray& value, const QByteArray& hemisphere);
