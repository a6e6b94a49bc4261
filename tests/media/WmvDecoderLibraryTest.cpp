// The stand-in decoder library as a media object's caller sees it.
#include "VideoSource.h"
#include "WmvDecoderFolder.h"

#include "media/DmoDecoder.h"
#include "media/DmoMediaBuffer.h"
#include "platform/RuntimeLibrary.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/IMediaObject.h"
#include "platform/com/VideoInfoHeader.h"
#include "platform/com/WmvDecoderClassId.h"
#include "support/Command.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>

namespace {

struct ReleaseInterface {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComObject = std::unique_ptr<Interface, ReleaseInterface>;

// A media type with its own copy of the format block, free to be altered.
struct OwnedMediaType {
  DMO_MEDIA_TYPE type{};
  std::vector<BYTE> block;

  explicit OwnedMediaType(DMO_MEDIA_TYPE& built) : type(built), block(built.pbFormat, built.pbFormat + built.cbFormat) {
    MoFreeMediaType(&built);
    type.pbFormat = block.data();
    type.cbFormat = static_cast<ULONG>(block.size());
  }
  BITMAPINFOHEADER& Bitmap() { return reinterpret_cast<VIDEOINFOHEADER*>(block.data())->bmiHeader; }
};

WrapperCodecContext ContextFor(const AVCodecParameters& video) {
  WrapperCodecContext context;
  context.width = video.width;
  context.height = video.height;
  context.codecId = video.codec_id;
  context.extradata = video.extradata;
  context.extradataSize = video.extradata_size;
  return context;
}

OwnedMediaType InputTypeFor(const AVCodecParameters& video) {
  DMO_MEDIA_TYPE built{};
  EXPECT_EQ(BuildDmoInputMediaType(ContextFor(video), &built), S_OK);
  return OwnedMediaType(built);
}

OwnedMediaType OutputTypeFor(const AVCodecParameters& video) {
  DMO_MEDIA_TYPE built{};
  EXPECT_EQ(BuildDmoOutputMediaType(ContextFor(video), &built), S_OK);
  return OwnedMediaType(built);
}

}  // namespace

TEST(WmvDecoderLibraryFile, ExportsOnlyDllGetClassObject) {
  const CommandResult symbols = RunCommand({"nm", "-D", "--defined-only", TOLVAR_WMV_DECODER_LIBRARY});
  ASSERT_EQ(symbols.exitCode, 0) << symbols.errors;
  std::vector<std::string> names;
  std::istringstream lines(symbols.output);
  for (std::string line; std::getline(lines, line);) names.push_back(line.substr(line.rfind(' ') + 1));
  EXPECT_EQ(names, std::vector<std::string>{"DllGetClassObject"});
}

class WmvDecoderLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Install();
    library = RuntimeLibrary::Load("wmvdecod.dll");
    ASSERT_NE(library, nullptr);
    getClassObject = reinterpret_cast<DllGetClassObjectFunction>(library->Symbol("DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
  }

  ComObject<IClassFactory> NewFactory() {
    void* factory = nullptr;
    EXPECT_EQ(getClassObject(CLSID_CWMVDecMediaObject, IID_IClassFactory, &factory), S_OK);
    return ComObject<IClassFactory>(static_cast<IClassFactory*>(factory));
  }

  ComObject<IMediaObject> NewMediaObject() {
    void* object = nullptr;
    EXPECT_EQ(NewFactory()->CreateInstance(nullptr, IID_IMediaObject, &object), S_OK);
    return ComObject<IMediaObject>(static_cast<IMediaObject*>(object));
  }

  // A media object set up for the source's video, and the source.
  ComObject<IMediaObject> DecoderFor(const VideoSource& source) {
    ComObject<IMediaObject> decoder = NewMediaObject();
    OwnedMediaType input = InputTypeFor(*source.Stream().codecpar);
    OwnedMediaType output = OutputTypeFor(*source.Stream().codecpar);
    EXPECT_EQ(decoder->SetInputType(0, &input.type, 0), S_OK);
    EXPECT_EQ(decoder->SetOutputType(0, &output.type, 0), S_OK);
    return decoder;
  }

  static HRESULT Feed(IMediaObject& decoder, const AVPacket& packet) {
    DmoMediaBuffer* buffer = MakeMediaBuffer(packet.data, static_cast<DWORD>(packet.size));
    buffer->SetLength(static_cast<DWORD>(packet.size));
    const HRESULT result = decoder.ProcessInput(0, buffer, DMO_INPUT_DATA_BUFFERF_SYNCPOINT, 0, 0);
    buffer->Release();
    return result;
  }

  // ProcessOutput into `memory`, with the length the decoder set.
  static HRESULT Take(IMediaObject& decoder, std::vector<BYTE>& memory, DWORD* length, DWORD flags = 0) {
    DmoMediaBuffer* buffer = MakeMediaBuffer(memory.data(), static_cast<DWORD>(memory.size()));
    DMO_OUTPUT_DATA_BUFFER output{buffer, 0, 0, 0};
    DWORD status = 0;
    const HRESULT result = decoder.ProcessOutput(flags, 1, &output, &status);
    buffer->GetBufferAndLength(nullptr, length);
    buffer->Release();
    return result;
  }

  WmvDecoderFolder folder;
  std::unique_ptr<RuntimeLibrary> library;
  DllGetClassObjectFunction getClassObject = nullptr;
};

TEST_F(WmvDecoderLibrary, MakesOnlyTheDecoderClassThroughItsFactory) {
  struct Case {
    const char* name;
    CLSID classId;
    IID iid;
    HRESULT result;
  };
  const Case cases[] = {
      {"factory", CLSID_CWMVDecMediaObject, IID_IClassFactory, S_OK},
      {"factory as IUnknown", CLSID_CWMVDecMediaObject, IID_IUnknown, S_OK},
      {"not a factory interface", CLSID_CWMVDecMediaObject, IID_IMediaObject, E_NOINTERFACE},
      {"another class", IID_IMediaBuffer, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(getClassObject(c.classId, c.iid, &object), c.result);
    if (c.result == S_OK) {
      ASSERT_NE(object, nullptr);
      static_cast<IUnknown*>(object)->Release();
    } else {
      EXPECT_EQ(object, nullptr);
    }
  }

  ComObject<IClassFactory> factory = NewFactory();
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IMediaObject, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IMediaBuffer, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();
}

struct SubtypeCase {
  const char* source;
  bool inCorpus;
  const char* fourCc;
  friend void PrintTo(const SubtypeCase& c, std::ostream* out) { *out << c.source; }
};

class WmvDecoderSubtypes : public WmvDecoderLibrary, public ::testing::WithParamInterface<SubtypeCase> {};

TEST_P(WmvDecoderSubtypes, TakesTheSourcesTypesAndDecodesItsFirstPicture) {
  std::string path = GetParam().inCorpus ? TestMedia::CorpusFolder() : TestMedia::Path(GetParam().source);
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  if (GetParam().inCorpus) path += GetParam().source;
  VideoSource source(path);
  ASSERT_TRUE(source.IsOpen());
  OwnedMediaType input = InputTypeFor(*source.Stream().codecpar);
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(&input.type.subtype.Data1), 4), GetParam().fourCc);
  ComObject<IMediaObject> decoder = DecoderFor(source);

  const AVCodecParameters& video = *source.Stream().codecpar;
  const size_t pictureBytes = static_cast<size_t>(video.width) * video.height * 2;
  std::vector<BYTE> memory(pictureBytes + 64, 0xAB);
  DWORD length = 0;
  HRESULT result = S_FALSE;
  for (int i = 0; i < 5 && result == S_FALSE; ++i) {
    const AVPacket* packet = source.NextPacket();
    ASSERT_NE(packet, nullptr);
    ASSERT_EQ(Feed(*decoder, *packet), S_OK);
    result = Take(*decoder, memory, &length);
  }
  ASSERT_EQ(result, S_OK);
  EXPECT_EQ(length, pictureBytes);
  EXPECT_EQ(std::count(memory.begin() + pictureBytes, memory.end(), 0xAB), 64) << "written past the picture";
  EXPECT_EQ(Take(*decoder, memory, &length), S_FALSE) << "one picture per packet";
}

INSTANTIATE_TEST_SUITE_P(Sources, WmvDecoderSubtypes,
                         ::testing::Values(SubtypeCase{"wmv-wmv1-wmav2-4s.wmv", false, "WMV1"},
                                           SubtypeCase{"wmv-wmv2-wmav2-8s.wmv", false, "WMV2"},
                                           SubtypeCase{"wmv3-wmav2-30s.wmv", true, "WMV3"},
                                           SubtypeCase{"vc1-advanced-wmav2-60s.wmv", true, "WVC1"}));

TEST_F(WmvDecoderLibrary, RefusesInputTypesItCannotUse) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  const AVCodecParameters& video = *source.Stream().codecpar;
  struct Case {
    const char* name;
    std::function<void(OwnedMediaType&)> spoil;
  };
  const Case cases[] = {
      {"audio", [](OwnedMediaType& t) { t.type.majortype = GuidFromFourCc(MakeFourCc('a', 'u', 'd', 's')); }},
      {"YUY2 input", [](OwnedMediaType& t) { t.type.subtype = MEDIASUBTYPE_YUY2; }},
      {"MP43", [](OwnedMediaType& t) { t.type.subtype = GuidFromFourCc(MakeFourCc('M', 'P', '4', '3')); }},
      {"no video-info block", [](OwnedMediaType& t) { t.type.formattype = IID_IUnknown; }},
      {"short block", [](OwnedMediaType& t) { t.type.cbFormat = 87; }},
      {"no block", [](OwnedMediaType& t) { t.type.pbFormat = nullptr; }},
      {"no width", [](OwnedMediaType& t) { t.Bitmap().biWidth = 0; }},
      {"negative width", [](OwnedMediaType& t) { t.Bitmap().biWidth = -320; }},
      {"no height", [](OwnedMediaType& t) { t.Bitmap().biHeight = 0; }},
      {"huge picture", [](OwnedMediaType& t) { t.Bitmap().biWidth = t.Bitmap().biHeight = 1 << 30; }},
      {"bitmap header too short", [](OwnedMediaType& t) { t.Bitmap().biSize = 39; }},
      {"extradata beyond the block", [](OwnedMediaType& t) { t.Bitmap().biSize += 100; }},
  };
  ComObject<IMediaObject> decoder = NewMediaObject();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OwnedMediaType type = InputTypeFor(video);
    c.spoil(type);
    EXPECT_EQ(decoder->SetInputType(0, &type.type, 0), DMO_E_TYPE_NOT_ACCEPTED);
  }
  OwnedMediaType type = InputTypeFor(video);
  EXPECT_EQ(decoder->SetInputType(1, &type.type, 0), DMO_E_INVALIDSTREAMINDEX);
  EXPECT_EQ(decoder->SetInputType(0, nullptr, 0), E_POINTER);
  EXPECT_EQ(decoder->SetInputType(0, &type.type, DMO_SET_TYPEF_TEST_ONLY), E_INVALIDARG);

  OwnedMediaType output = OutputTypeFor(video);
  EXPECT_EQ(decoder->SetOutputType(0, &output.type, 0), DMO_E_TYPE_NOT_SET) << "no input type was taken";
  EXPECT_EQ(decoder->SetInputType(0, &type.type, 0), S_OK);
}

TEST_F(WmvDecoderLibrary, TakesOnlyYuy2OfTheInputSizeForOutput) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  const AVCodecParameters& video = *source.Stream().codecpar;
  ComObject<IMediaObject> decoder = NewMediaObject();
  OwnedMediaType input = InputTypeFor(video);
  ASSERT_EQ(decoder->SetInputType(0, &input.type, 0), S_OK);

  struct Case {
    const char* name;
    std::function<void(OwnedMediaType&)> spoil;
  };
  const Case cases[] = {
      {"another width", [](OwnedMediaType& t) { t.Bitmap().biWidth += 2; }},
      {"another height", [](OwnedMediaType& t) { t.Bitmap().biHeight -= 2; }},
      {"not YUY2", [](OwnedMediaType& t) { t.type.subtype = MEDIASUBTYPE_WMV2; }},
      {"short block", [](OwnedMediaType& t) { t.type.cbFormat = 40; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OwnedMediaType output = OutputTypeFor(video);
    c.spoil(output);
    EXPECT_EQ(decoder->SetOutputType(0, &output.type, 0), DMO_E_TYPE_NOT_ACCEPTED);
  }
  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(Feed(*decoder, *packet), DMO_E_TYPE_NOT_SET) << "no output type yet";
  OwnedMediaType output = OutputTypeFor(video);
  ASSERT_EQ(decoder->SetOutputType(0, &output.type, 0), S_OK);
  EXPECT_EQ(Feed(*decoder, *packet), S_OK);
}

TEST_F(WmvDecoderLibrary, ATooSmallBufferLeavesThePictureForTheNextCall) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  ComObject<IMediaObject> decoder = DecoderFor(source);
  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  ASSERT_EQ(Feed(*decoder, *packet), S_OK);

  std::vector<BYTE> small(1000);
  DWORD length = 0;
  EXPECT_EQ(Take(*decoder, small, &length), E_INVALIDARG);
  EXPECT_EQ(length, 0u);
  std::vector<BYTE> full(320 * 240 * 2);
  EXPECT_EQ(Take(*decoder, full, &length), S_OK);
  EXPECT_EQ(length, full.size());
}

TEST_F(WmvDecoderLibrary, WithoutABufferAPictureIsDroppedOnlyWhenAsked) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  ComObject<IMediaObject> decoder = DecoderFor(source);
  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  ASSERT_EQ(Feed(*decoder, *packet), S_OK);

  DMO_OUTPUT_DATA_BUFFER output{nullptr, 0, 0, 0};
  DWORD status = 0;
  EXPECT_EQ(decoder->ProcessOutput(0, 1, &output, &status), E_POINTER);
  EXPECT_EQ(decoder->ProcessOutput(DMO_PROCESS_OUTPUT_DISCARD_WHEN_NO_BUFFER, 1, &output, &status), S_OK);
  EXPECT_EQ(decoder->ProcessOutput(DMO_PROCESS_OUTPUT_DISCARD_WHEN_NO_BUFFER, 1, &output, &status), S_FALSE);
}

TEST_F(WmvDecoderLibrary, FlushForgetsWhatWasFed) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  ComObject<IMediaObject> decoder = DecoderFor(source);
  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  ASSERT_EQ(Feed(*decoder, *packet), S_OK);
  EXPECT_EQ(decoder->Flush(), S_OK);
  std::vector<BYTE> full(320 * 240 * 2);
  DWORD length = 0;
  EXPECT_EQ(Take(*decoder, full, &length), S_FALSE);
  EXPECT_EQ(length, 0u);
}

TEST_F(WmvDecoderLibrary, RefusesEmptyInput) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  ComObject<IMediaObject> decoder = DecoderFor(source);
  AVPacket* empty = av_packet_alloc();
  EXPECT_EQ(Feed(*decoder, *empty), E_INVALIDARG);
  av_packet_free(&empty);
  EXPECT_EQ(decoder->ProcessInput(0, nullptr, 0, 0, 0), E_POINTER);
}
