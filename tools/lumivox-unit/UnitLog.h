// Reading lumivox-unit's change log: one line per change, "monotonic-ns ms-since-start source
// output value", source "rs232" for changes received and "seq" for sequence frames played.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

namespace lumivox::unit {

struct TLoggedChange {
    std::int64_t ArrivalNs = 0; // steady clock of the 0x1A's arrival (of the frame for "seq")
    int Output = 0;
    int Value = 0;
    // Changes are the same when they carry the same output and value.
    friend bool operator==(const TLoggedChange& a, const TLoggedChange& b) {
        return a.Output == b.Output && a.Value == b.Value;
    }
};

// The logged changes from `source`, in log order; none when the log cannot be read.
inline std::vector<TLoggedChange> ReadUnitLog(const QString& path,
                                              const QByteArray& source = "rs232") {
    std::vector<TLoggedChange> changes;
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return changes;
    while (!log.atEnd()) {
        const QList<QByteArray> fields = log.readLine().trimmed().split(' ');
        if (fields.size() == 5 && fields[2] == source)
            changes.push_back({fields[0].toLongLong(), fields[3].toInt(), fields[4].toInt()});
    }
    return changes;
}

} // namespace lumivox::unit
