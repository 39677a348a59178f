# The two commands of the README, and the rest of the daily work.
BUILD ?= build
TYPE ?= Release
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /opt/recview
DESTDIR ?=

.PHONY: all deps configure build run test bench fuzz debug asan tsan clean install package

all: build

deps:
	bash scripts/install-deps

configure:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Installs, builds and starts recview (with recsim as the recorder when no
# other port is configured).
run: deps build
	bash scripts/run-recview $(BUILD)/bin

# Installs, builds and runs the whole suite.
test: deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# Installs the program below PREFIX (default /opt/recview) and, unless staged
# into DESTDIR or installed below /usr, links its menu entry, icons, file types
# and commands into the desktop's directories (/usr/local as root, ~/.local
# otherwise).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix $(PREFIX)
	@if [ -z "$(DESTDIR)" ] && [ -x "$(PREFIX)/share/recview/integrate" ]; then \
	  sh "$(PREFIX)/share/recview/integrate" install "$(PREFIX)"; fi

# The Debian package recview_<version>_<arch>.deb in $(BUILD): the program
# below /usr, stripped, without maintainer scripts.
package: build
	cmake --build $(BUILD) --target package

bench: deps
	$(MAKE) build BUILD=build-bench TYPE=Release
	bash scripts/run-bench build-bench

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DRECVIEW_FUZZ=ON -DRECVIEW_TESTS=OFF -DRECVIEW_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	bash scripts/run-fuzz build-fuzz

debug:
	$(MAKE) build BUILD=build-debug TYPE=Debug

asan:
	$(MAKE) build BUILD=build-asan TYPE=Debug CMAKE_FLAGS="-DRECVIEW_SANITIZE=ON"
	cd build-asan && LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp" ctest --output-on-failure -j $(JOBS)

# The threaded work (live recording with its side windows and a restart,
# download, export, find) under ThreadSanitizer; any report fails. Qt itself
# is not instrumented: scripts/tsan.supp names the Qt internals it hides.
tsan:
	$(MAKE) build BUILD=build-tsan TYPE=RelWithDebInfo CMAKE_FLAGS="-DRECVIEW_TSAN=ON -DRECVIEW_BENCH=OFF"
	cd build-tsan && TSAN_OPTIONS="suppressions=$(CURDIR)/scripts/tsan.supp halt_on_error=1 exitcode=66 second_deadlock_stack=1" \
	  ctest --output-on-failure -j $(JOBS) --timeout 900 -L threads

clean:
	rm -rf build build-debug build-asan build-tsan build-bench build-fuzz
