// Which marks a change of the show's marks touched.
#include "timeline/TimingMarks.h"

#include <algorithm>
#include <limits>

namespace lumivox {

std::vector<int> ChangedMarkTimes(const TShowMarks& before, const TShowMarks& after) {
    std::vector<int> changed;
    int i = 0;
    int j = 0;
    while (i < before.size() || j < after.size()) {
        const int a = i < before.size() ? before[i].Ms : std::numeric_limits<int>::max();
        const int b = j < after.size() ? after[j].Ms : std::numeric_limits<int>::max();
        const int ms = std::min(a, b);
        int endBefore = i;
        while (endBefore < before.size() && before[endBefore].Ms == ms)
            ++endBefore;
        int endAfter = j;
        while (endAfter < after.size() && after[endAfter].Ms == ms)
            ++endAfter;
        bool same = endBefore - i == endAfter - j;
        for (int k = 0; same && i + k < endBefore; ++k)
            same = before[i + k] == after[j + k];
        if (!same)
            changed.push_back(ms);
        i = endBefore;
        j = endAfter;
    }
    return changed;
}

} // namespace lumivox
