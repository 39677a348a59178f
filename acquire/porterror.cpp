#include "acquire/porterror.h"

#include <grp.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "link/serialport.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

QString PortErrorText(const SerialPort& port) {
  const std::string path = SerialPort::DevicePath(port.PortName());
  const QByteArray device = QString::fromStdString(path).toUtf8();
  const char* dev = device.constData();
  switch (port.LastErrno()) {
    case 0: return QString();
    case EACCES:
    case EPERM: {
      // The group that owns the device, which the user must belong to.
      std::string group = "dialout";
      struct stat st;
      if (::stat(path.c_str(), &st) == 0) {
        if (struct group* g = ::getgrgid(st.st_gid)) group = g->gr_name;
      }
      const QByteArray name = QString::fromStdString(group).toUtf8();
      return lang::Format(IDS_PORT_DENIED, dev, name.constData());
    }
    case EBUSY: return lang::Format(IDS_PORT_BUSY, dev);
    case ENOENT:
    case ENXIO:
    case ENODEV: return lang::Format(IDS_PORT_MISSING, dev);
    case ENOTTY: return lang::Format(IDS_PORT_NOT_SERIAL, dev);
    default: {
      const QByteArray why = QString::fromLocal8Bit(std::strerror(port.LastErrno())).toUtf8();
      return lang::Format(IDS_PORT_FAILED, dev, why.constData());
    }
  }
}
