// lumivox-cli play: a show played headless against its song, driving the live outputs.
#pragma once

#include <QStringList>

namespace lumivox::cli {

// play PROJECT [--port DEVICE] [--dmx UNIVERSE [--ola-port PORT]] [--offset MS]; returns the exit
// code.
int CommandPlay(const QStringList& args);

} // namespace lumivox::cli
