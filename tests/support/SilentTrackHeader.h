// A track header for tests that shows nothing: test headers override only what they check.
#pragma once

#include "model/ProjectClasses.h"

namespace lumivox::test {

class SilentTrackHeader : public ITrackHeader {
public:
    void Show(const TFullTrack&, int, TTrackFields) override {}
    void SetHeight(int) override {}
};

} // namespace lumivox::test
