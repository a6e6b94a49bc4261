#include "DecoderRegistry.h"

#include <mutex>

namespace {

std::mutex registryMutex;
std::vector<const CodecWrapper*> registry;

}  // namespace

void DecoderRegistry::Register(const CodecWrapper& codec) {
  std::lock_guard lock(registryMutex);
  registry.push_back(&codec);
}

const CodecWrapper* DecoderRegistry::Find(AVCodecID codecId) {
  std::lock_guard lock(registryMutex);
  for (const CodecWrapper* codec : registry) {
    if (codec->codecId == codecId) return codec;
  }
  return nullptr;
}

std::vector<const CodecWrapper*> DecoderRegistry::Entries() {
  std::lock_guard lock(registryMutex);
  return registry;
}
