// A MIDI source for the tests in a process of its own: opens a virtual JACK MIDI output port
// with RtMidi, says "ready", then sends each line of standard input (bytes in hexadecimal,
// separated by blanks) as one message. Ends, taking its port away, when the input ends.
#include <RtMidi.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " CLIENT PORT\n";
        return 2;
    }
    try {
        RtMidiOut out(RtMidi::UNIX_JACK, argv[1]);
        out.openVirtualPort(argv[2]);
        std::cout << "ready" << std::endl;
        std::string line;
        while (std::getline(std::cin, line)) {
            std::istringstream bytes(line);
            std::vector<unsigned char> message;
            unsigned int byte = 0;
            while (bytes >> std::hex >> byte)
                message.push_back(static_cast<unsigned char>(byte));
            if (!message.empty())
                out.sendMessage(message.data(), message.size());
        }
    } catch (const RtMidiError& error) {
        std::cerr << error.getMessage() << '\n';
        return 1;
    }
    return 0;
}
