// Reading and writing the marks file beside a project.
#include "persistence/MarksFile.h"

#include "persistence/TextLines.h"

#include <QFile>

#include <optional>
#include <string>
#include <vector>

#include <cerrno>
#include <unistd.h>

namespace lumivox {

QString MarksPathOf(const QString& projectPath) {
    return projectPath + QStringLiteral(".marks");
}

QString RefusedMarksBackupPath(const QString& marksPath) {
    return marksPath + QStringLiteral(".bak");
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
            // Marks files are written in UTF-8: each name is decoded on its own, so one damaged
            // byte spoils one name (shown as a replacement character), never the others.
            const std::string_view raw =
                space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
            const QString name = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
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

TFileError WriteMarksFile(const QString& path, const TShowMarks& marks) {
    if (marks.empty()) {
        const QByteArray name = QFile::encodeName(path);
        if (::unlink(name.constData()) != 0 && errno != ENOENT)
            return TFileError::FromErrno(errno);
        return {};
    }
    return WriteFileVerified(path, FormatMarks(marks));
}

} // namespace lumivox
