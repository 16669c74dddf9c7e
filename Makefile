# SPDX-License-Identifier: GPL-3.0-or-later
# `make run` and `make test` do all the set-up on a fresh Debian or Ubuntu machine: they install the packages
# the build and the tests need when missing, configure, build, and run.

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
# Compiler warnings as errors: off for users, on in CI (.ci/run).
WERROR ?= OFF

# Build tools, Qt (with its private headers, for the input-method plugin), the Japanese fonts, and what the tests
# and the screenshots use; Qt's Japanese translations; the desktop's validators, the screen-reader bus (AT-SPI) and
# dpkg-shlibdeps for the package; xcb for the process that keeps the copied text after the end, xcb-damage for the
# start-up benchmark; anthy and its dictionary for the program's own kana-kanji conversion; Qt's Wayland plugin,
# which a desktop has and whose start-up messages the tests meet; Qt's text to speech (its CMake package needs
# qt6-declarative-dev on Debian 12) with speech-dispatcher and espeak-ng's Japanese voice, for speech.
PACKAGES := cmake g++ make pkg-config clang-format qt6-base-dev qt6-base-private-dev qt6-base-dev-tools \
            libgl-dev fonts-noto-cjk fonts-ipafont-gothic xvfb xauth x11-utils imagemagick \
            qt6-translations-l10n desktop-file-utils appstream dbus at-spi2-core dpkg-dev libxcb1-dev \
            libxcb-damage0-dev libanthy-dev anthy-common qt6-wayland \
            qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher \
            speech-dispatcher-espeak-ng espeak-ng

# What the end-to-end checks add: a Japanese keyboard for the X server, ibus and fcitx5 with mozc and their Qt 6
# plugins, a clipboard manager, two window managers, and the tools that click, type, read window properties and
# the clipboard (python3 asks X whether a clipboard manager runs), and set the desktop's resolution; for Wayland,
# sway (headless), wayvnc for the seat's pointer, wtype, grim, wl-clipboard, jq for sway's window tree, and Qt's
# Wayland plugin.
E2E_PACKAGES := xvfb x11-xkb-utils x11-utils x11-xserver-utils xdotool xclip dbus util-linux ibus ibus-mozc \
                mozc-server libqt6gui6 fcitx5 fcitx5-mozc fcitx5-frontend-qt6 xfce4-settings openbox xfwm4 \
                python3 sway wayvnc wtype grim wl-clipboard jq qt6-wayland passwd

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test format format-check sanitize leaks package package-check extras startup-bench clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -q && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -q --no-install-recommends $$missing; \
	fi

.PHONY: e2e-deps
e2e-deps:
	@$(MAKE) --no-print-directory deps PACKAGES="$(E2E_PACKAGES)"

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DGOJUON_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/gojuon-keyboard

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The Debian package (CPack, from the install rules in packaging/), written into $(BUILD).
package: build
	cd $(BUILD) && cpack -G DEB

# Installs that package into this machine and starts the installed program.
package-check: package
	packaging/check-installed.sh "$$(ls -t $(BUILD)/gojuon-keyboard_*.deb | head -1)"

# The drawing tool and the benchmarks, which a plain build leaves out.
extras: build
	cmake --build $(BUILD) -j $(JOBS) --target extras

# Start-up time and memory of the installed program (or PROGRAM=...) under Xvfb.
startup-bench: extras
	bench/startup-bench.sh $(BUILD) $(PROGRAM)

# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer (part of gcc's AddressSanitizer) over the whole
# test suite; the event storm runs 50,000 events there. tests/lsan.supp suppresses the leaks inside libdbus and
# fontconfig, never the program's own. intercept_tls_get_addr=0: gcc 12's LeakSanitizer, following glibc 2.36's
# dynamic thread-local blocks, at times reads one already freed and dies ("Tracer caught signal 11") after a test
# has passed; without it a leak could only be over-reported, never hidden.
SANITIZER_OPTIONS := ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

sanitize:
	$(SANITIZER_OPTIONS) $(MAKE) test BUILD=build-sanitize BUILD_TYPE=Debug CMAKE_FLAGS=-DGOJUON_SANITIZE=ON

# LeakSanitizer alone, in the sanitizer build: the program from start-up to 終 under a virtual X server leaks
# nothing of its own, and a deliberate leak still shows past the suppressions.
leaks:
	$(MAKE) build BUILD=build-sanitize BUILD_TYPE=Debug CMAKE_FLAGS=-DGOJUON_SANITIZE=ON
	cd build-sanitize && $(SANITIZER_OPTIONS) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R tst_environment

clean:
	rm -rf $(BUILD) build-sanitize
