// Reading and writing the marks file beside a project.
#include "persistence/MarksFile.h"

#include "persistence/TextLines.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <string>
#include <vector>

namespace lumivox {

QString MarksPathOf(const QString& projectPath) {
    return projectPath + QStringLiteral(".marks");
}

TMarksReading ParseMarks(const QByteArray& bytes) {
    TMarksReading reading;
    TextLineReader reader(bytes);
    std::vector<TShowMark> marks;
    while (!reader.AtEnd()) {
        const std::string_view line = reader.NextRaw();
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        const std::size_t space = line.find(' ');
        const std::string_view time = line.substr(0, space);
        const std::optional<std::int32_t> ms = ParseDecimal(time);
        if (!ms || time.front() == '+') {
            reading.Problem = TMarksReading::Fault::NotATime;
        } else if (*ms < 0) {
            reading.Problem = TMarksReading::Fault::Negative;
        } else {
            const QString name =
                space == std::string_view::npos ? QString() : reader.Decode(line.substr(space + 1));
            marks.push_back({*ms, name});
            continue;
        }
        reading.Line = reader.LineNumber();
        return reading;
    }
    reading.Marks = TShowMarks(std::move(marks));
    return reading;
}

TMarksReading ReadMarksFile(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return {};
    TMarksReading reading;
    if (!file.open(QIODevice::ReadOnly)) {
        reading.Problem = TMarksReading::Fault::Unreadable;
        reading.Error = file.errorString();
        return reading;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.Problem = TMarksReading::Fault::Unreadable;
        reading.Error = file.errorString();
        return reading;
    }
    return ParseMarks(bytes);
}

QByteArray FormatMarks(const TShowMarks& marks) {
    QByteArray out;
    for (const TShowMark& mark : marks) {
        out += QByteArray::number(mark.Ms);
        out += ' ';
        out += mark.Name.toUtf8();
        out += '\n';
    }
    return out;
}

QString WriteMarksFile(const QString& path, const TShowMarks& marks) {
    if (marks.empty()) {
        QFile stale(path);
        if (stale.exists() && !stale.remove())
            return stale.errorString().isEmpty() ? QStringLiteral("?") : stale.errorString();
        return {};
    }
    QSaveFile file(path);
    const QByteArray text = FormatMarks(marks);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error.isEmpty() ? QStringLiteral("?") : error;
    }
    if (!file.commit())
        return file.errorString().isEmpty() ? QStringLiteral("?") : file.errorString();
    return {};
}

} // namespace lumivox
