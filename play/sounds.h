#pragma once
// The play window's sound output through Qt Multimedia: chat voices and test
// plays from files without waiting, and the move sound from memory, waited
// for. A machine without an audio device plays nothing and reports nothing.
#include <QObject>
#include <memory>
#include <string>

#include "play/core/sound_choice.h"

class QAudioSink;
class QBuffer;

namespace sound {

// A WAV image decoded far enough to play: PCM, 8 or 16 bits.
struct Pcm {
  int rate = 0, channels = 0, bits = 0;
  std::string samples;
  // Playing time in milliseconds.
  int64_t Milliseconds() const;
};
// False for anything that is not a PCM WAV image of 8 or 16 bits.
bool DecodeWav(const std::string& image, Pcm& out);

// The move sound and the default sound, each a whole WAV file in memory;
// shared, so copies of the settings never free them twice.
struct SoundBuffers {
  std::shared_ptr<const std::string> move;
  std::shared_ptr<const std::string> fallback;  // DEFAULT.WAV
};

// Reads `file` as the new move sound and the program's DEFAULT.WAV as the
// default sound. False, with `buffers` unchanged, when the move-sound file
// cannot be read; a missing DEFAULT.WAV keeps the previous default sound.
bool LoadSoundBuffers(SoundBuffers& buffers, const std::string& file, const std::string& soundsFolder);

class Sounds : public QObject, public SoundOutput {
 public:
  explicit Sounds(QObject* parent = nullptr);
  ~Sounds() override;
  void PlayFileAsync(const std::string& path) override;
  // Bounded by the sound's length plus a margin; never runs the event loop.
  // An image that cannot be decoded returns at once.
  void PlayImageAndWait(const std::string& image) override;
  void PlayImageAsync(const std::string& image) override;

 private:
  void Stop();
  std::unique_ptr<QAudioSink> sink_;
  std::unique_ptr<QBuffer> buffer_;
  std::string playing_;
};

}  // namespace sound
