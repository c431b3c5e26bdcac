// The floor of the service's figures: a Qt Core program that tells systemd it is ready
// and then waits in its event loop, doing nothing, until SIGTERM ends it.
#include <systemd/sd-daemon.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  sd_notify(0, "READY=1");
  return QCoreApplication::exec();
}
