// The window program of version 2.0.0 started as its entry starts it, timed:
// prints the wall-clock instants (CLOCK_REALTIME, nanoseconds) at which the
// lap list is filled and at which the grid is first painted with it, and the
// resident memory then. A probe event posted after the window's own message
// arrives only once that message's walk has ended.
#include <time.h>

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <fstream>
#include <string>

#include "gui/qt/mainwindow.h"
#include "gui/qt/qttexts.h"

namespace {

long long NowNs() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

constexpr auto kProbe = static_cast<QEvent::Type>(QEvent::User + 500);

class Probe : public QObject {
  public:
    explicit Probe(QWidget& viewport) : viewport_(viewport) { viewport_.installEventFilter(this); }

    long long FilledNs = 0, PaintedNs = 0;
    long RssKb = 0;

  protected:
    bool event(QEvent* e) override {
        if (e->type() != kProbe) return QObject::event(e);
        FilledNs = NowNs();
        RssKb = ResidentKb();
        return true;
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && FilledNs != 0 && PaintedNs == 0) {
            PaintedNs = NowNs();
            QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
        }
        return false;
    }

  private:
    QWidget& viewport_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTranslator japanese;
    UseJapaneseQtTexts(japanese);
    MainWindow window(kVersion2);
    window.show();
    Probe probe(*window.lapTable->viewport());
    QCoreApplication::postEvent(&probe, new QEvent(kProbe));
    application.exec();
    std::printf("filled_ns=%lld painted_ns=%lld rss_kb=%ld rows=%d\n", probe.FilledNs,
                probe.PaintedNs, probe.RssKb,
                static_cast<int>(window.CurrentSession().lapRows.size()));
    return 0;
}
