#include "model/ShowMarks.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace lumivox {

TShowMarks::TShowMarks(std::vector<TShowMark> marks) : List(std::move(marks)) {
    for (TShowMark& mark : List) {
        mark.Ms = std::max(0, mark.Ms);
        mark.Name = CleanName(mark.Name);
    }
    std::ranges::stable_sort(List, {}, &TShowMark::Ms);
}

QString TShowMarks::CleanName(const QString& name) {
    QString clean = name;
    for (QChar& c : clean)
        if (c == u'\n' || c == u'\r' || c == u'\t')
            c = u' ';
    clean = clean.trimmed();
    if (clean.size() > MaxNameLength)
        clean.truncate(MaxNameLength);
    return clean.trimmed();
}

int TShowMarks::Add(int ms, const QString& name) {
    const TShowMark mark{std::max(0, ms), CleanName(name)};
    const auto at = std::ranges::upper_bound(List, mark.Ms, {}, &TShowMark::Ms);
    const auto placed = List.insert(at, mark);
    return static_cast<int>(std::distance(List.begin(), placed));
}

int TShowMarks::Move(int index, int ms) {
    if (index < 0 || index >= size())
        return -1;
    const QString name = List[static_cast<std::size_t>(index)].Name;
    List.erase(List.begin() + index);
    return Add(ms, name);
}

bool TShowMarks::Rename(int index, const QString& name) {
    if (index < 0 || index >= size())
        return false;
    List[static_cast<std::size_t>(index)].Name = CleanName(name);
    return true;
}

bool TShowMarks::Remove(int index) {
    if (index < 0 || index >= size())
        return false;
    List.erase(List.begin() + index);
    return true;
}

int TShowMarks::LowerBound(int ms) const {
    return static_cast<int>(
        std::distance(List.begin(), std::ranges::lower_bound(List, ms, {}, &TShowMark::Ms)));
}

int TShowMarks::Nearest(int ms, int toleranceMs) const {
    const int after = LowerBound(ms);
    int best = -1;
    long bestDistance = static_cast<long>(toleranceMs) + 1;
    for (const int index : {after - 1, after}) {
        if (index < 0 || index >= size())
            continue;
        const long distance = std::labs(static_cast<long>((*this)[index].Ms) - ms);
        if (distance < bestDistance) {
            best = index;
            bestDistance = distance;
        }
    }
    // Several marks may share the nearest earlier time: take the first of them.
    if (best >= 0 && best == after - 1)
        best = LowerBound((*this)[best].Ms);
    return best;
}

int TShowMarks::Previous(int ms) const {
    const int at = LowerBound(ms);
    return at > 0 ? LowerBound((*this)[at - 1].Ms) : -1;
}

int TShowMarks::Next(int ms) const {
    const auto after = std::ranges::upper_bound(List, ms, {}, &TShowMark::Ms);
    return after == List.end() ? -1 : static_cast<int>(std::distance(List.begin(), after));
}

} // namespace lumivox
