// The named marks of a show: moments of the song, in milliseconds, that the operator tapped or
// placed to edit against. Kept in time order; marks at the same time keep the order they came in.
#pragma once

#include <QString>

#include <vector>

namespace lumivox {

struct TShowMark {
    int Ms = 0;
    QString Name;
    bool operator==(const TShowMark&) const = default;
};

class TShowMarks {
public:
    static constexpr int MaxNameLength = 64;

    TShowMarks() = default;
    // Takes `marks` in any order; times below 0 become 0, names are cut to MaxNameLength and
    // lose their line breaks.
    explicit TShowMarks(std::vector<TShowMark> marks);

    int size() const { return static_cast<int>(List.size()); }
    bool empty() const { return List.empty(); }
    const TShowMark& operator[](int index) const {
        return List.at(static_cast<std::size_t>(index));
    }
    auto begin() const { return List.cbegin(); }
    auto end() const { return List.cend(); }
    bool operator==(const TShowMarks&) const = default;

    // Inserts after every mark at or before `ms`; returns its index.
    int Add(int ms, const QString& name);
    // Moves mark `index` to `ms`; returns its new index. An index out of range changes nothing
    // and returns -1.
    int Move(int index, int ms);
    bool Rename(int index, const QString& name);
    bool Remove(int index);
    void Clear() { List.clear(); }

    // Index of the first mark at or after `ms`; size() when none.
    int LowerBound(int ms) const;
    // Index of the mark nearest `ms` within `toleranceMs` (the earlier of two equally near);
    // -1 when none is that near.
    int Nearest(int ms, int toleranceMs) const;
    // The mark strictly before / after `ms`; -1 when none.
    int Previous(int ms) const;
    int Next(int ms) const;

    // A mark's name as it is kept: no line breaks or tabs, at most MaxNameLength characters,
    // spaces at both ends trimmed.
    static QString CleanName(const QString& name);

private:
    std::vector<TShowMark> List;
};

} // namespace lumivox
