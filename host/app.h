// The kelmora-render program: command line in, image file and summary out.
#ifndef KELMORA_RENDER_APP_H
#define KELMORA_RENDER_APP_H

namespace krender {

// Returns the process exit code: 0 after a written image, 2 for a usage
// error, 1 for any other failure. Every failure is one line on stderr.
int run_kelmora_render(int argc, char** argv);

} // namespace krender

#endif
