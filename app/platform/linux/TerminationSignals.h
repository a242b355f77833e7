// Turns SIGTERM, SIGINT and SIGHUP (the end of the session) into a Qt signal on the main thread, so that the program ends through
// its normal quit path (which writes pending Dock work) instead of dying mid-way. The handler only
// writes the signal's number into a socket pair; a socket notifier reads it in the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace kestrine {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; the previous ones come back when this object is destroyed. Only
    // one instance may exist at a time. Needs a QCoreApplication.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return installed_; }

signals:
    void received(int signalNumber);

private:
    void drain();

    bool installed_ = false;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace kestrine
