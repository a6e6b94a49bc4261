#include "SkinFile.h"

#include <QFile>
#include <QResource>
#include <QtEndian>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QString kMapRoot = QStringLiteral("/avcore-skin");

QString SkinPath(const QString& relativePath) {
  return QLatin1Char(':') + kMapRoot + QLatin1Char('/') + relativePath;
}

std::optional<QString> ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return QString::fromUtf8(file.readAll());
}

// Qt reads a resource file by the offsets in its header and trusts them, so
// they are checked against the size here first: magic "qres", the format
// version, then the offsets of the tree, the data and the names.
bool HasResourceFileHeader(const QByteArray& bytes) {
  constexpr qsizetype kHeaderSize = 20;
  if (bytes.size() < kHeaderSize || !bytes.startsWith("qres")) return false;
  const auto* header = reinterpret_cast<const uchar*>(bytes.constData());
  const quint32 version = qFromBigEndian<quint32>(header + 4);
  if (version < 1 || version > 3) return false;
  for (const int field : {8, 12, 16}) {
    const quint32 offset = qFromBigEndian<quint32>(header + field);
    if (offset < kHeaderSize || offset >= static_cast<quint32>(bytes.size())) return false;
  }
  return true;
}

// ASCII letters and digits only, so a name never reaches outside custom/.
bool IsPlainName(const QString& name) {
  return !name.isEmpty() &&
         std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); });
}

}  // namespace

SkinFile::SkinFile(QByteArray bytes) : bytes_(std::move(bytes)) {}

SkinFile::~SkinFile() {
  if (registered_) QResource::unregisterResource(reinterpret_cast<const uchar*>(bytes_.constData()), kMapRoot);
}

std::unique_ptr<SkinFile> SkinFile::Open(const unsigned char* bytes, std::size_t size) {
  if (!bytes || size > static_cast<std::size_t>(std::numeric_limits<qsizetype>::max())) return nullptr;
  // A deep copy: the caller's bytes may go once this call returns.
  QByteArray copy(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  if (!HasResourceFileHeader(copy)) return nullptr;
  std::unique_ptr<SkinFile> skin(new SkinFile(std::move(copy)));
  skin->registered_ =
      QResource::registerResource(reinterpret_cast<const uchar*>(skin->bytes_.constData()), kMapRoot);
  if (!skin->registered_) return nullptr;
  std::optional<QString> styleSheet = ReadText(SkinPath(QStringLiteral("skin.qss")));
  if (!styleSheet) return nullptr;
  skin->styleSheet_ = std::move(*styleSheet);
  return skin;
}

std::optional<QString> SkinFile::CustomStyleSheet(const QString& name) const {
  if (!IsPlainName(name)) return std::nullopt;
  return ReadText(SkinPath(QStringLiteral("custom/") + name + QStringLiteral(".qss")));
}
