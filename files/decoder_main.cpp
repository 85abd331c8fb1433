// The decoder: the viewer's model and image files are turned into data here,
// in a process of its own, so that whatever a file does to the libraries
// that read it (a crash, a read past a buffer, memory without end, a loop
// without end) ends here. It takes requests on standard input and writes
// replies to standard output until the viewer closes its end or ends it.
#include "files/decode.h"
#include "files/decoder_process.h"

#include <cstdlib>

int main() {
    orvane::files::DecoderEnd end;
    orvane::files::wire::Reader requests(end);
    while (orvane::files::answerRequest(requests, end)) {
    }
    // Nothing to tidy: what the libraries lost on a broken file ends with the
    // process, and is no leak of the viewer's.
    std::_Exit(0);
}
