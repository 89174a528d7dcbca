#include "audio_output.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>
#include <mutex>

namespace player {

// Owns the QAudioSink; every one of its methods runs on the audio thread.
class AudioSinkHost : public QObject {
 public:
  AudioSinkHost(const AudioFormat& format, std::shared_ptr<std::atomic<AudioOutput::State>> state)
      : m_format(format), m_state(std::move(state)) {}

  void Start() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(m_format.rate);
    format.setChannelCount(m_format.channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isNull() || !device.isFormatSupported(format)) {
      m_state->store(AudioOutput::State::kSilent);
      return;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    m_device = m_sink->start();
    m_state->store(m_device != nullptr ? AudioOutput::State::kPlaying
                                       : AudioOutput::State::kSilent);
  }

  // In push mode the sink takes what fits in its buffer; the rest of a late frame is dropped
  // rather than piling up behind a device that plays slower than the camera sends.
  void Write(const std::vector<std::int16_t>& samples) {
    if (m_device == nullptr) return;
    m_device->write(reinterpret_cast<const char*>(samples.data()),
                    static_cast<qint64>(samples.size() * sizeof(std::int16_t)));
  }

 private:
  AudioFormat m_format;
  std::shared_ptr<std::atomic<AudioOutput::State>> m_state;
  std::unique_ptr<QAudioSink> m_sink;
  QIODevice* m_device = nullptr;  // the sink's
};

namespace {

// The library's one audio thread, started on first use. It ends with the QCoreApplication (a post
// routine runs in its destructor), as the Qt it runs on goes then; the hosts of the ports already
// stopped go with its last deferred deletions. Hosts are handed over and released under the
// mutex, so neither can race with the thread's end; the thread itself never takes it.
class AudioThread {
 public:
  static AudioThread& Instance() {
    static AudioThread thread;
    return thread;
  }

  ~AudioThread() { End(); }

  // Moves host to the thread and starts it there; false without a QCoreApplication.
  bool Adopt(AudioSinkHost* host) {
    std::lock_guard lock(m_mutex);
    if (QCoreApplication::instance() == nullptr) return false;
    if (!m_thread) {
      m_thread = std::make_unique<QThread>();
      m_thread->setObjectName(QStringLiteral("player audio"));
      m_thread->start();
      qAddPostRoutine([] { Instance().End(); });
    }
    host->moveToThread(m_thread.get());
    QMetaObject::invokeMethod(
        host, [host] { host->Start(); }, Qt::QueuedConnection);
    return true;
  }

  // Deleted by the thread's event loop, or at once when the thread has ended.
  void Release(AudioSinkHost* host) {
    std::lock_guard lock(m_mutex);
    if (m_thread && host->thread() == m_thread.get()) {
      host->deleteLater();
    } else {
      delete host;
    }
  }

 private:
  AudioThread() = default;

  void End() {
    std::lock_guard lock(m_mutex);
    if (!m_thread) return;
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
  }

  std::mutex m_mutex;
  std::unique_ptr<QThread> m_thread;
};

}  // namespace

void AudioSinkHostDeleter::operator()(AudioSinkHost* host) const {
  AudioThread::Instance().Release(host);
}

std::unique_ptr<AudioOutput> AudioOutput::Create(const AudioFormat& format) {
  auto state = std::make_shared<std::atomic<State>>(State::kStarting);
  AudioSinkHostPtr host(std::make_unique<AudioSinkHost>(format, state).release());
  if (!AudioThread::Instance().Adopt(host.get())) return nullptr;
  return std::make_unique<AudioOutput>(std::move(host), std::move(state));
}

AudioOutput::AudioOutput(AudioSinkHostPtr host, std::shared_ptr<std::atomic<State>> state)
    : m_host(std::move(host)), m_state(std::move(state)) {}

void AudioOutput::Play(std::vector<std::int16_t> samples) {
  if (m_state->load() != State::kPlaying) return;
  QMetaObject::invokeMethod(
      m_host.get(), [host = m_host.get(), samples = std::move(samples)] { host->Write(samples); },
      Qt::QueuedConnection);
}

}  // namespace player
