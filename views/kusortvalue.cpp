#include "kusortvalue.h"

#include <QDateTime>

#include <cmath>

namespace {
// Kinds in the order they sort against each other.
enum Kind
{
    kInvalid,
    kNaN,
    kSigned,
    kUnsigned,
    kFloat,
    kDateTime,
    kTime,
    kText,
    kOther
};

Kind kindOf(const QVariant& value)
{
    switch (int(value.userType())) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return kSigned;
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return kUnsigned;
    case QMetaType::Double:
    case QMetaType::Float:
        return std::isnan(value.toDouble()) ? kNaN : kFloat;
    case QMetaType::QDateTime:
        return value.toDateTime().isValid() ? kDateTime : kInvalid;
    case QMetaType::QDate:
        return value.toDate().isValid() ? kDateTime : kInvalid;
    case QMetaType::QTime:
        return value.toTime().isValid() ? kTime : kInvalid;
    case QMetaType::QString:
    case QMetaType::QChar:
    case QMetaType::QByteArray:
        return kText;
    case QMetaType::UnknownType:
        return kInvalid;
    default:
        return value.isNull() ? kInvalid : kOther;
    }
}

// Numbers share one rank; texts after dates, and so on.
int rank(Kind kind)
{
    switch (kind) {
    case kSigned:
    case kUnsigned:
    case kFloat:
        return kSigned;
    default:
        return kind;
    }
}

template <typename T>
int order(const T& left, const T& right)
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

int compareNumbers(const QVariant& left, Kind leftKind, const QVariant& right, Kind rightKind)
{
    if (leftKind == kFloat || rightKind == kFloat) {
        // long double holds every 64-bit integer exactly on this platform.
        auto wide = [](const QVariant& v, Kind kind) -> long double {
            if (kind == kSigned)
                return static_cast<long double>(v.toLongLong());
            if (kind == kUnsigned)
                return static_cast<long double>(v.toULongLong());
            return static_cast<long double>(v.toDouble());
        };
        return order(wide(left, leftKind), wide(right, rightKind));
    }
    if (leftKind == kSigned && rightKind == kSigned)
        return order(left.toLongLong(), right.toLongLong());
    if (leftKind == kUnsigned && rightKind == kUnsigned)
        return order(left.toULongLong(), right.toULongLong());
    if (leftKind == kSigned) {
        const qint64 l = left.toLongLong();
        return l < 0 ? -1 : order(quint64(l), right.toULongLong());
    }
    const qint64 r = right.toLongLong();
    return r < 0 ? 1 : order(left.toULongLong(), quint64(r));
}

QDateTime asDateTime(const QVariant& value)
{
    if (value.userType() == QMetaType::QDate)
        return value.toDate().startOfDay();
    return value.toDateTime();
}
} // namespace

int kuSortValue::compare(const QVariant& left, const QVariant& right)
{
    const Kind leftKind = kindOf(left);
    const Kind rightKind = kindOf(right);
    const int leftRank = rank(leftKind);
    const int rightRank = rank(rightKind);
    if (leftRank != rightRank)
        return leftRank < rightRank ? -1 : 1;
    switch (leftRank) {
    case kInvalid:
    case kNaN:
        return 0;
    case kSigned:
        return compareNumbers(left, leftKind, right, rightKind);
    case kDateTime:
        return order(asDateTime(left).toMSecsSinceEpoch(), asDateTime(right).toMSecsSinceEpoch());
    case kTime:
        return order(left.toTime().msecsSinceStartOfDay(), right.toTime().msecsSinceStartOfDay());
    case kText:
        if (left.userType() == QMetaType::QString && right.userType() == QMetaType::QString) {
            const int c = QString::compare(*static_cast<const QString*>(left.constData()),
                                           *static_cast<const QString*>(right.constData()));
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        return order(left.toString(), right.toString());
    default:
        if (left.userType() != right.userType())
            return left.userType() < right.userType() ? -1 : 1;
        return order(left.toString(), right.toString());
    }
}
