// The mark commands over the show's marks.
#include "editing/MarkCommands.h"

#include "editing/TimelineGeometry.h"

#include <algorithm>
#include <limits>

namespace lumivox {

MarkCommands::MarkCommands(ShowDocument& document, IUserInterface& ui, const IMediaPlayer& player,
                           IMarkHost& host, const Language& language)
    : Doc(document), Ui(ui), Player(player), Host(host), Lang(language) {}

std::int64_t MarkCommands::Clamp(std::int64_t ms) const {
    const std::int64_t last =
        std::min<std::int64_t>(Player.LengthMs(), std::numeric_limits<int>::max());
    return std::clamp<std::int64_t>(ms, 0, std::max<std::int64_t>(last, 0));
}

void MarkCommands::Changed() {
    Doc.SetModified(true);
    Host.TakeSnapshot();
}

QString MarkCommands::NextName() const {
    long long largest = 0;
    for (const TShowMark& mark : Doc.Marks()) {
        bool number = false;
        const long long value = mark.Name.toLongLong(&number);
        if (number && value > largest && value < std::numeric_limits<int>::max())
            largest = value;
    }
    return QString::number(largest + 1);
}

int MarkCommands::Tap() {
    if (!Player.IsOpen())
        return -1;
    return AddAt(Player.PositionMs());
}

int MarkCommands::AddAt(std::int64_t ms) {
    if (!Player.IsOpen())
        return -1;
    const int index = Doc.AddMark(static_cast<int>(Clamp(ms)), NextName());
    Changed();
    return index;
}

int MarkCommands::Move(int index, std::int64_t ms) {
    if (index < 0 || index >= Doc.Marks().size())
        return -1;
    const int to = static_cast<int>(Clamp(ms));
    if (Doc.Marks()[index].Ms == to)
        return index;
    const int moved = Doc.MoveMark(index, to);
    Changed();
    return moved;
}

bool MarkCommands::Rename(int index) {
    if (index < 0 || index >= Doc.Marks().size())
        return false;
    const TShowMark mark = Doc.Marks()[index];
    const auto name = Ui.AskText(Text(TextTable::MarksText, MarksText::NamePrompt, Lang)
                                     .arg(TimelineGeometry::TimeLabel(mark.Ms)),
                                 mark.Name);
    if (!name || TShowMarks::CleanName(*name) == mark.Name)
        return false;
    Doc.RenameMark(index, *name);
    Changed();
    return true;
}

std::vector<int> MarkCommands::PastEnd() const {
    std::vector<int> past;
    if (!Player.IsOpen())
        return past;
    const std::int64_t length = Player.LengthMs();
    for (int index = 0; index < Doc.Marks().size(); ++index)
        if (Doc.Marks()[index].Ms > length)
            past.push_back(index);
    return past;
}

int MarkCommands::RemovePastEnd() {
    const std::vector<int> past = PastEnd();
    if (past.empty())
        return 0;
    std::vector<TShowMark> kept;
    for (int index = 0; index < Doc.Marks().size(); ++index)
        if (!std::binary_search(past.begin(), past.end(), index))
            kept.push_back(Doc.Marks()[index]);
    Doc.SetMarks(TShowMarks(std::move(kept)));
    Changed();
    return static_cast<int>(past.size());
}

bool MarkCommands::Remove(int index) {
    if (index < 0 || index >= Doc.Marks().size())
        return false;
    Doc.RemoveMark(index);
    Changed();
    return true;
}

} // namespace lumivox
