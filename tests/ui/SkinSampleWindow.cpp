#include "SkinSampleWindow.h"

#include "ui/CLinkStatic.h"
#include "ui/MakerLinks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QComboBox* List(const QStringList& entries, int current, const QString& name) {
  auto* list = new QComboBox;
  list->addItems(entries);
  list->setCurrentIndex(current);
  list->setAccessibleName(name);
  return list;
}

QMenuBar* Menus(QMenu*& otherTools) {
  auto* bar = new QMenuBar;
  QMenu* system = bar->addMenu(QStringLiteral("System"));
  system->addAction(QStringLiteral("Restore Default Settings"));
  system->addSeparator();
  system->addAction(QStringLiteral("Exit"));
  QMenu* operation = bar->addMenu(QStringLiteral("Operation"));
  for (const char* text : {"Add Files", "Delete File", "Delete All Files", "Select Movie Clip"})
    operation->addAction(QString::fromLatin1(text));
  otherTools = bar->addMenu(QStringLiteral("Other Tools"));
  for (const MakerLink& tool : MakerLinks::kOtherTools)
    otherTools->addAction(QString::fromStdString(tool.MenuText()));
  QMenu* about = bar->addMenu(QStringLiteral("About"));
  about->addAction(QStringLiteral("Visit Our Website"));
  about->addSeparator();
  about->addAction(QStringLiteral("About"));
  return bar;
}

QTreeWidget* TaskList() {
  auto* list = new QTreeWidget;
  list->setAccessibleName(QStringLiteral("Task list"));
  list->setRootIsDecorated(false);
  list->setAlternatingRowColors(true);
  list->setHeaderLabels({QStringLiteral("Title"), QStringLiteral("Start"), QStringLiteral("End"),
                         QStringLiteral("Source Format"), QStringLiteral("Output Format")});
  const char* rows[][5] = {{" Holiday in the Alps", "00:00:00", "01:02:05", "AVI", "MP3"},
                           {" Birthday party", "00:01:10", "00:12:40", "WMV", "MP3"},
                           {" Concert", "00:00:00", "00:47:31", "MP4", "MP3"}};
  for (const auto& row : rows) {
    QStringList cells;
    for (const char* cell : row) cells << QString::fromLatin1(cell);
    list->addTopLevelItem(new QTreeWidgetItem(cells));
  }
  list->setCurrentItem(list->topLevelItem(1));
  list->header()->resizeSection(0, 150);
  list->setMinimumHeight(110);
  return list;
}

QGroupBox* OutputOptions() {
  auto* group = new QGroupBox(QStringLiteral("Output Options"));
  auto* grid = new QGridLayout(group);
  const char* formats[] = {"To MP3", "To WAV", "To AC3"};
  for (int i = 0; i < 3; ++i) {
    auto* format = new QRadioButton(QString::fromLatin1(formats[i]));
    format->setChecked(i == 0);
    grid->addWidget(format, 0, i);
  }
  grid->addWidget(new QLabel(QStringLiteral("Audio Bitrate")), 1, 0);
  grid->addWidget(new QLabel(QStringLiteral("Audio SampleRate")), 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Channel")), 1, 2);
  auto* bitRate = new QHBoxLayout;
  bitRate->addWidget(List({QStringLiteral("96"), QStringLiteral("128"), QStringLiteral("192")}, 1,
                          QStringLiteral("Audio Bitrate")));
  bitRate->addWidget(new QLabel(QStringLiteral("kbps")));
  grid->addLayout(bitRate, 2, 0);
  grid->addWidget(List({QStringLiteral("48000"), QStringLiteral("44100")}, 1, QStringLiteral("Audio SampleRate")), 2, 1);
  grid->addWidget(List({QStringLiteral("Mono"), QStringLiteral("Stereo")}, 1, QStringLiteral("Channel")), 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("Output Path")), 3, 0);
  auto* folder = new QLineEdit(QStringLiteral("/home/user/MyAudio/"));
  folder->setAccessibleName(QStringLiteral("Output Path"));
  grid->addWidget(folder, 4, 0, 1, 2);
  grid->addWidget(new QPushButton(QStringLiteral("Browse")), 4, 2);
  auto* professional = new QGroupBox(QStringLiteral("Professional Feature"));
  auto* engine = new QCheckBox(QStringLiteral("Enhanced Engine"), professional);
  engine->setChecked(true);
  (new QHBoxLayout(professional))->addWidget(engine);
  grid->addWidget(professional, 5, 0, 1, 2);
  auto* disabled = new QPushButton(QStringLiteral("Disabled"));
  disabled->setEnabled(false);
  grid->addWidget(disabled, 5, 2);
  return group;
}

QGroupBox* Progress() {
  auto* group = new QGroupBox(QStringLiteral("Progress"));
  auto* column = new QVBoxLayout(group);
  for (const int percent : {45, 70}) {
    auto* bar = new QProgressBar;
    bar->setValue(percent);
    column->addWidget(bar);
  }
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(0, 100);
  slider->setValue(30);
  slider->setAccessibleName(QStringLiteral("Volume"));
  column->addWidget(slider);
  return group;
}

}  // namespace

SkinSampleWindow::SkinSampleWindow() {
  setWindowTitle(QStringLiteral("Tolvar Audio Extractor"));
  QFont dialogFont(QStringLiteral("Verdana"));
  dialogFont.setPointSize(8);
  setFont(dialogFont);

  auto* buttons = new QVBoxLayout;
  for (const char* text : {" Add Files", "Delete File", "Movie Clip"})
    buttons->addWidget(new QPushButton(QString::fromLatin1(text)));
  start_ = new QPushButton(QStringLiteral("Start"));
  start_->setAccessibleName(QStringLiteral("Start"));
  start_->setFixedSize(102, 85);
  buttons->addStretch();
  buttons->addWidget(start_);
  auto* link = new CLinkStatic;
  link->setText(QStringLiteral("Check for new version"));
  link->setAlignment(Qt::AlignCenter);
  buttons->addWidget(link);

  auto* left = new QVBoxLayout;
  left->addWidget(TaskList());
  auto* lower = new QHBoxLayout;
  lower->addWidget(OutputOptions(), 3);
  lower->addWidget(Progress(), 2);
  left->addLayout(lower);

  auto* columns = new QHBoxLayout(this);
  columns->setMenuBar(Menus(otherTools_));
  columns->addLayout(left, 1);
  columns->addLayout(buttons);
  setFixedSize(720, 420);
}
