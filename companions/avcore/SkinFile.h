#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <optional>

// A skin file unpacked into the Qt resource system under ":/avcore-skin/",
// where its style sheets can name its pictures. Registered for the object's
// lifetime; the object keeps the bytes Qt reads from.
class SkinFile {
 public:
  ~SkinFile();
  SkinFile(const SkinFile&) = delete;
  SkinFile& operator=(const SkinFile&) = delete;

  // Null when the bytes are not a skin file or hold no "skin.qss".
  static std::unique_ptr<SkinFile> Open(const unsigned char* bytes, std::size_t size);

  const QString& StyleSheet() const { return styleSheet_; }
  // The style sheet of a custom window part; nothing for an unknown name.
  std::optional<QString> CustomStyleSheet(const QString& name) const;

 private:
  explicit SkinFile(QByteArray bytes);

  QByteArray bytes_;
  bool registered_ = false;
  QString styleSheet_;
};
