// Standard MIDI files from arbitrary bytes: the load ends with a song or an
// EMidiError, and a loaded song plays to its end in a hundred ticks through
// the recording driver, with nothing read outside the data and no hang.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "base/streams.h"
#include "platform/audio/midi_out_recorder.h"
#include "sound/midi_error.h"
#include "sound/midi_play.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMidiOutRecorder out;
    TMidiPlayV player(out);
    player.Timer().SetInterval(0);
    player.PlayDevices.Add(MIDI_MAPPER, 1);
    player.PlayDevices.Add(0, 1);
    TMemoryStream stream(data, size);
    try {
        player.LoadFromStream(stream);
    } catch (const EMidiError&) {
        return 0;
    }
    if (!player.OpenDevices())
        std::abort();
    player.SetPosition(0);
    player.Play();
    const int64_t step = std::max<int64_t>(player.GetEndTime() / 100 + 1, 100);
    for (int i = 0; i <= 100 + player.Events().Count() && player.Playing(); ++i)
        player.Tick(step);
    if (player.Playing() || player.Position() != player.GetEndTime())
        std::abort();
    player.ProcessMessages();
    if (player.PendingBuffers() != 0)
        std::abort();
    player.SetVolume(int(size % 300));
    player.Stop();
    player.CloseDevices();
    return 0;
}
