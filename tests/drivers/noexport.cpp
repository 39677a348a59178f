// A shared library in the place of a driver plug-in, but without GetDevice.
extern "C" int NotADriver() { return 0; }
