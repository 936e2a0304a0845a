// A track header for tests that shows nothing: test headers override only what they check.
#pragma once

#include "model/ProjectClasses.h"

namespace lumivox::test {

class SilentTrackHeader : public ITrackHeader {
public:
    void ShowCaption(const QString&) override {}
    void ShowSelected(bool) override {}
    void ShowLocked(bool) override {}
    void ShowMute(bool) override {}
    void ShowSolo(bool) override {}
    void ShowTypeImage(std::uint8_t) override {}
    void ShowOutputText(const QString&) override {}
    void ShowNumber(int) override {}
    void ShowColors(TColor, TColor) override {}
    void SetHeight(int) override {}
};

} // namespace lumivox::test
