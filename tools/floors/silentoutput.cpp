// silentoutput: SDL's audio output opened as the game opens it (22050 Hz stereo, a period of
// one 16 ms tick) with a callback that only writes silence, for tools/measure-window.sh. Its
// CPU is the least a game with sound pays here for keeping the output fed. Runs until killed.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <unistd.h>

#include <cstring>

namespace {
void SDLCALL silence(void*, Uint8* out, int length) {
    std::memset(out, 0, std::size_t(length));
}
}  // namespace

int main() {
    SDL_SetMainReady();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");  // so that a plain kill ends it
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
    SDL_AudioSpec want{}, have{};
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 352;
    want.callback = silence;
    const SDL_AudioDeviceID id =
        SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!id) return 1;
    SDL_PauseAudioDevice(id, 0);
    for (;;) ::pause();
}
