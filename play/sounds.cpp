#include "play/sounds.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QThread>
#include <chrono>
#include <fstream>
#include <iterator>

namespace sound {
namespace {

uint32_t Le(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<size_t>(i)]);
  return v;
}

bool ReadWhole(const std::string& path, std::string& out) {
  if (path.empty()) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  out.swap(data);
  return true;
}

QAudioFormat FormatOf(const Pcm& pcm) {
  QAudioFormat f;
  f.setSampleRate(pcm.rate);
  f.setChannelCount(pcm.channels);
  f.setSampleFormat(pcm.bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
  return f;
}

}  // namespace

int64_t Pcm::Milliseconds() const {
  const int64_t perSecond = int64_t{rate} * channels * (bits / 8);
  return perSecond > 0 ? static_cast<int64_t>(samples.size()) * 1000 / perSecond : 0;
}

bool DecodeWav(const std::string& image, Pcm& out) {
  if (image.size() < 12 || image.compare(0, 4, "RIFF") != 0 || image.compare(8, 4, "WAVE") != 0) return false;
  Pcm pcm;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= image.size()) {
    const std::string id = image.substr(at, 4);
    const size_t size = Le(image, at + 4, 4);
    const size_t body = at + 8;
    if (id == "fmt " && size >= 16 && body + 16 <= image.size()) {
      const uint32_t tag = Le(image, body, 2);
      pcm.channels = static_cast<int>(Le(image, body + 2, 2));
      pcm.rate = static_cast<int>(Le(image, body + 4, 4));
      pcm.bits = static_cast<int>(Le(image, body + 14, 2));
      const bool extensible = tag == 0xFFFE && size >= 40 && body + 26 <= image.size() && Le(image, body + 24, 2) == 1;
      haveFormat = (tag == 1 || extensible) && (pcm.bits == 8 || pcm.bits == 16) && pcm.channels >= 1 &&
                   pcm.channels <= 2 && pcm.rate >= 1000 && pcm.rate <= 192000;
    } else if (id == "data" && haveFormat) {
      const size_t length = std::min(size, image.size() - body);
      const size_t frame = static_cast<size_t>(pcm.channels * (pcm.bits / 8));
      pcm.samples = image.substr(body, length - length % frame);
      if (pcm.samples.empty()) return false;
      out = std::move(pcm);
      return true;
    }
    if (size > image.size() - body) break;
    at = body + size + (size & 1);
  }
  return false;
}

bool LoadSoundBuffers(SoundBuffers& buffers, const std::string& file, const std::string& soundsFolder) {
  std::string move;
  if (!ReadWhole(FindPath(file), move)) return false;
  buffers.move = std::make_shared<const std::string>(std::move(move));
  std::string fallback;
  if (ReadWhole(FindPath(soundsFolder + "DEFAULT.WAV"), fallback))
    buffers.fallback = std::make_shared<const std::string>(std::move(fallback));
  return true;
}

Sounds::Sounds(QObject* parent) : QObject(parent) {}

Sounds::~Sounds() { Stop(); }

void Sounds::Stop() {
  if (sink_) sink_->stop();
  sink_.reset();
  buffer_.reset();
  playing_.clear();
}

void Sounds::PlayFileAsync(const std::string& path) {
  std::string image;
  if (ReadWhole(path, image)) PlayImageAsync(image);
}

void Sounds::PlayImageAsync(const std::string& image) {
  Stop();
  Pcm pcm;
  if (!DecodeWav(image, pcm)) return;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  playing_ = std::move(pcm.samples);
  buffer_ = std::make_unique<QBuffer>();
  buffer_->setData(playing_.data(), static_cast<qsizetype>(playing_.size()));
  buffer_->open(QIODevice::ReadOnly);
  sink_ = std::make_unique<QAudioSink>(device, FormatOf(pcm));
  sink_->start(buffer_.get());
}

void Sounds::PlayImageAndWait(const std::string& image) {
  Stop();
  Pcm pcm;
  if (!DecodeWav(image, pcm)) return;
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  using Clock = std::chrono::steady_clock;
  // Never longer than the sound plus a margin, and never more than 3 s.
  const int64_t bound = std::min<int64_t>(pcm.Milliseconds() + 150, 3000);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(bound);
  QAudioSink sink(device, FormatOf(pcm));
  sink.setBufferSize(static_cast<qsizetype>(pcm.samples.size()));
  QIODevice* out = sink.start();
  if (!out) return;
  size_t written = 0;
  while (written < pcm.samples.size() && Clock::now() < deadline) {
    const qint64 n = out->write(pcm.samples.data() + written, static_cast<qint64>(pcm.samples.size() - written));
    if (n < 0) return;
    written += static_cast<size_t>(n);
    if (written < pcm.samples.size()) QThread::msleep(5);
  }
  // What was written plays out; wait for it without the event loop.
  const Clock::time_point played =
      std::min(deadline, Clock::now() + std::chrono::milliseconds(pcm.Milliseconds() * static_cast<int64_t>(written) /
                                                                  static_cast<int64_t>(pcm.samples.size())));
  while (Clock::now() < played) QThread::msleep(5);
  sink.stop();
}

}  // namespace sound
