# Front door: `make run` shows the picture (or writes it as PNG without a display),
# `make test` builds and runs every test on a private X server. Both install what they need.

BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
# The X server's own messages go to a log of this build's, not one that other runs share.
XVFB_LOG  = $(CURDIR)/$(BUILD)/xvfb.log
XVFB      = xvfb-run -a -e $(XVFB_LOG) -s "-screen 0 $(word 1,$(DESIGN_WH))x$(word 2,$(DESIGN_WH))x24 -noreset"
# What building and showing the picture needs; and what the checks, the packages and the tests
# need besides (installed while the programs build, in CI).
PACKAGES := build-essential cmake libglfw3-dev libgl-dev libgl1-mesa-dri libpng-dev libgtest-dev libbenchmark-dev \
            libx11-dev libxtst-dev libxrandr-dev libxfixes-dev libxss-dev xvfb xauth python3
CHECK_PACKAGES := locales acl xscreensaver weston xwayland xserver-xorg-core xserver-xorg-video-dummy clang-tidy cppcheck \
            dpkg-dev lintian desktop-file-utils man-db rpm rpmlint appstream
# The deliverables' suffixes, from the one list of resolutions; the first is the picture's
# design size, the one `make run` shows, and its width and height.
SIZES    := $(shell awk '/^[0-9]/ { print $$1 }' cmake/resolutions.txt)
DESIGN   := $(firstword $(SIZES))
DESIGN_WH := $(shell awk '/^[0-9]/ { print $$2, $$3; exit }' cmake/resolutions.txt)
SUDO     := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)
# TESTS=OFF builds the programs without their tests and benchmarks (as `make release-check`'s
# second build does).
TESTS    ?= ON
# Every time stamp in the downloads is the last commit's, so that builds of one commit agree.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: all deps check-deps test-deps configure build run test unit cross-deps cross-test release release-ready release-check lint sanitize sanitize-build install package windows windows-deps windows-test dist web web-deps web-test-build bench clean

all: build

# Says SKIPPED and why; with VELLUM_REQUIRE_ALL=1 (CI sets it) nothing may be skipped, and the
# step fails instead.
skip = { if [ "$$VELLUM_REQUIRE_ALL" = 1 ]; then echo "FAILED: $(1) (VELLUM_REQUIRE_ALL=1 allows no skip)"; exit 1; fi; \
         echo "SKIPPED: $(1)"; }

# Installs those of the Debian packages $(1) that are missing (reading the archive's lists
# again only where they are more than an hour old); a failure runs $(2) instead (by default it
# ends make).
define install-missing
	@missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		{ { [ -n "$$(find /var/lib/apt/lists -name '*_Packages*' -mmin -60 2>/dev/null | head -n 1)" ] || \
		    $(SUDO) apt-get update; } && \
		  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; } || \
		$(if $(2),$(2),exit 1); \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

check-deps: deps
	$(call install-missing,$(CHECK_PACKAGES))

# Every package the tests use, in one go; where some cannot be installed, each group of tests
# tries its own again and says what it skips.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine wine64
WEB_PACKAGES     := emscripten node-acorn
BROWSER_PACKAGES := chromium
CROSS_PACKAGES   := g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user googletest
test-deps:
	$(call install-missing,$(PACKAGES) $(CHECK_PACKAGES) $(WINDOWS_PACKAGES) $(WEB_PACKAGES) $(BROWSER_PACKAGES) $(CROSS_PACKAGES),true)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
		-DVELLUM_TESTS=$(TESTS) -DVELLUM_BENCH=$(TESTS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# GLFW's Wayland build, unpacked beside the tests (it would replace the X11 build if installed).
$(BUILD)/wayland-glfw:
	@rm -rf $@.tmp && mkdir -p $@.tmp && cd $@.tmp && \
	if apt-get download libglfw3-wayland >/dev/null 2>&1 && dpkg -x libglfw3-wayland_*.deb . ; then \
		cd .. && mv wayland-glfw.tmp wayland-glfw; \
	else echo "libglfw3-wayland could not be fetched: the Wayland test will be skipped"; cd .. && rm -rf wayland-glfw.tmp; fi

# Installs the programs, menu entries, icons, manual page and documentation under PREFIX
# (DESTDIR, if set, is put in front, for staging).
PREFIX ?= /usr/local
install: build
	umask 022 && DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, build/vellum_VERSION_ARCH.deb, and the same files as an RPM,
# build/vellum-VERSION-1.ARCH.rpm.
package: build check-deps
	cd $(BUILD) && umask 022 && cpack -G "DEB;RPM"

# Builds only the two programs it may run; `make test` builds the rest.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target vellum-$(DESIGN) vellum-capture-$(DESIGN)
	@if [ -n "$$DISPLAY" ]; then \
		./$(BUILD)/vellum-$(DESIGN); \
	else \
		$(XVFB) ./$(BUILD)/vellum-capture-$(DESIGN) vellum-$(DESIGN).png && \
		echo "No display here: wrote the picture to $(CURDIR)/vellum-$(DESIGN).png"; \
	fi

# Everything: static analysis, the Windows programs under Wine, the i686 and aarch64 builds
# under qemu (these, and the builds they need, side by side), the release build's tests (with
# vellum-720.exe on the display tests' servers: most of them wait on an X server, so three
# run at once, while the sanitizers' build is made at a lower priority), then each path once
# more under AddressSanitizer and UndefinedBehaviorSanitizer.
test: test-deps
	$(MAKE) -j $(JOBS) lint package web-test-build $(BUILD)/wayland-glfw windows-test cross-test
	nice -n 10 $(MAKE) sanitize-build > $(BUILD)/sanitize-build.log 2>&1 & building=$$!; \
	windows=$(CURDIR)/$(WINDOWS)/x64; [ -f $$windows/vellum-720.exe ] || windows=; \
	VELLUM_WINDOWS_BUILD=$$windows $(WINE_ENV) $(XVFB) ctest --test-dir $(BUILD) -j 3 --output-on-failure || \
		{ echo "X server log:"; cat $(XVFB_LOG); kill $$building; exit 1; }; \
	wait $$building || { cat $(BUILD)/sanitize-build.log; exit 1; }
	$(MAKE) sanitize

# The Windows programs, cross-built with MinGW-w64 for x86-64 and 32-bit x86:
# build-windows/x64/ and build-windows/x86/, each vellum-1080.exe and vellum-720.exe. Their
# tests run under Wine. Where MinGW or Wine cannot be installed, the Windows tests are skipped
# and say so. (Debian's 32-bit Wine is never installed: on a machine that cannot run 32-bit
# programs it only breaks the 64-bit one; the 32-bit build's tests are built only where a 32-bit
# Wine could run them.)
WINDOWS    := build-windows
WINEPREFIX := $(CURDIR)/$(WINDOWS)/wineprefix
# A private Wine prefix, quiet, and never asking to install .NET or HTML engines.
WINE_ENV   := WINEPREFIX=$(WINEPREFIX) WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
VERSION    := $(shell sed -n "s/^project.vellum VERSION \([0-9.]*\).*/\1/p" CMakeLists.txt)
windows-deps:
	$(call install-missing,$(WINDOWS_PACKAGES),\
		$(call skip,the Windows tests because $$missing could not be installed))

windows: windows-deps
	cmake -S . -B $(WINDOWS)/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON \
		-DVELLUM_TESTS=$(TESTS)
	cmake --build $(WINDOWS)/x64 -j $(JOBS)
	cmake -S . -B $(WINDOWS)/x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON \
		-DVELLUM_TESTS=$(TESTS)
	cmake --build $(WINDOWS)/x86 -j $(JOBS) $$([ -x /usr/lib/wine/wine ] || echo --target $(addprefix vellum-,$(SIZES)) vellum-screensaver)

# One download for Windows: build-windows/vellum-VERSION-windows.zip.
dist: windows
	rm -rf $(WINDOWS)/dist && mkdir -p $(WINDOWS)/dist/x64 $(WINDOWS)/dist/x86
	for arch in x64 x86; do for size in $(SIZES); do cp $(WINDOWS)/$$arch/vellum-$$size.exe $(WINDOWS)/dist/$$arch/; done; \
		cp $(WINDOWS)/$$arch/vellum.scr $(WINDOWS)/dist/$$arch/; done
	sed 's/@VERSION@/$(VERSION)/' packaging/windows-readme.txt | sed 's/$$/\r/' > $(WINDOWS)/dist/README.txt
	sed 's/$$/\r/' LICENSE > $(WINDOWS)/dist/LICENSE.txt
	cd $(WINDOWS)/dist && python3 $(CURDIR)/tools/zip.py ../vellum-$(VERSION)-windows.zip \
		README.txt LICENSE.txt $(foreach arch,x64 x86,$(foreach size,$(SIZES),$(arch)/vellum-$(size).exe) $(arch)/vellum.scr)
	tests/windows_zip.sh $(CURDIR)/$(WINDOWS)/vellum-$(VERSION)-windows.zip $(CURDIR)/$(WINDOWS)

windows-test: windows-deps
	@if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v i686-w64-mingw32-g++-posix >/dev/null || \
	    ! command -v wine >/dev/null; then \
		$(call skip,the Windows tests: MinGW-w64 or Wine is not installed); \
	else \
		$(MAKE) dist && \
		$(WINE_ENV) $(XVFB) ctest --test-dir $(WINDOWS)/x64 --output-on-failure && \
		if $(WINE_ENV) wine $(WINDOWS)/x86/tests/unit_tests.exe --gtest_list_tests >/dev/null 2>&1; then \
			$(WINE_ENV) $(XVFB) ctest --test-dir $(WINDOWS)/x86 --output-on-failure; \
		else \
			echo "The 32-bit Windows programs are checked for what they import and their size; their unit tests need"; \
			echo "a 32-bit Wine, which is never installed here: the same code runs as i686 under qemu (make cross-test)."; \
			$(WINE_ENV) ctest --test-dir $(WINDOWS)/x86 --output-on-failure -LE wine; \
		fi; \
	fi

# The page for web browsers: build-web/ (index.html, and a script and WebAssembly module for
# each resolution), cross-built with Debian's Emscripten; any static web server can serve it.
# Its tests run in Debian's Chromium. Emscripten's JavaScript tools find Debian's acorn
# through NODE_PATH.
WEB          := build-web
web-deps:
	$(call install-missing,$(WEB_PACKAGES),$(call skip,the page's tests because $$missing could not be installed))

web: web-deps
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-emscripten -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON \
		-DVELLUM_TESTS=OFF -DVELLUM_BENCH=OFF
	NODE_PATH=/usr/share/nodejs cmake --build build-emscripten -j $(JOBS)
	rm -rf $(WEB) && cp -r build-emscripten/web $(WEB)
	chmod 0644 $(WEB)/*.wasm
	@echo "The page is in $(WEB)/: serve it, for example with python3 -m http.server -d $(WEB)"

# For the tests: the page where Emscripten could be installed (its test says SKIPPED otherwise).
web-test-build: web-deps
	@if command -v emcc >/dev/null; then $(MAKE) web; else rm -rf $(WEB); $(call skip,the page: no Emscripten); fi

# The CPU stages, the picture table and the CPU's OpenGL built for 32-bit x86 (SSE2 maths, as
# the 32-bit Windows programs) and for 64-bit ARM with Debian's cross compilers, and run under
# qemu-user: every stage of both resolutions must be the pinned picture there too.
CROSS         := build-cross
CROSS_TARGETS := i686 aarch64
cross-deps:
	$(call install-missing,$(CROSS_PACKAGES),\
		$(call skip,the i686 and aarch64 tests because $$missing could not be installed))

cross-test: cross-deps
	@for arch in $(CROSS_TARGETS); do \
		if ! command -v $$arch-linux-gnu-g++ >/dev/null || [ ! -d /usr/src/googletest ]; then \
			$(call skip,the $$arch tests: no $$arch-linux-gnu-g++ or GoogleTest sources); continue; \
		fi; \
		cmake -S . -B $(CROSS)/$$arch -DCMAKE_TOOLCHAIN_FILE=cmake/linux-$$arch.cmake -DCMAKE_BUILD_TYPE=Release \
			-DVELLUM_WERROR=ON -DVELLUM_BENCH=OFF >/dev/null && \
		cmake --build $(CROSS)/$$arch -j $(JOBS) && \
		ctest --test-dir $(CROSS)/$$arch -j 2 --output-on-failure || exit 1; \
	done

# Every download of this commit in dist/: the Debian package, an RPM, the Windows zip, the page
# ready for any static host, the source as git archive gives it, and their SHA256SUMS. Each
# is made by the target that makes it anyway; two builds of one commit give the same bytes,
# whatever the umask, time zone or locale. A release is of a commit: release-ready refuses a
# tree that is not a git checkout (an unpacked source tarball, say) or that has changes not
# committed; VELLUM_RELEASE_DIRTY=1 lets a local experiment through.
DIST := dist
ARCH  = $(shell dpkg --print-architecture)
release: release-ready package dist web
	rm -rf $(DIST) && mkdir -p $(DIST)
	cp $(BUILD)/vellum_$(VERSION)_$(ARCH).deb $(BUILD)/vellum-$(VERSION)-1.*.rpm $(WINDOWS)/vellum-$(VERSION)-windows.zip $(DIST)/
	tar -C $(WEB) --sort=name --owner=0 --group=0 --numeric-owner --mode=go-w,a+rX --mtime=@$(SOURCE_DATE_EPOCH) \
		--transform 's,^\.,vellum-$(VERSION)-web,' -cf $(DIST)/web.tar .
	gzip -9n < $(DIST)/web.tar > $(DIST)/vellum-$(VERSION)-web.tar.gz && rm $(DIST)/web.tar
	git archive --format=tar --prefix=vellum-$(VERSION)/ -o $(DIST)/source.tar HEAD
	gzip -9n < $(DIST)/source.tar > $(DIST)/vellum-$(VERSION).tar.gz && rm $(DIST)/source.tar
	cd $(DIST) && printf '%s\n' vellum* | LC_ALL=C sort | xargs sha256sum > SHA256SUMS
	@echo "Wrote $(CURDIR)/$(DIST):" && cd $(DIST) && ls -l vellum* SHA256SUMS | awk '{print "  " $$5 "\t" $$9}'

release-ready:
	@git rev-parse -q --verify HEAD >/dev/null 2>&1 || \
		{ echo "make release: $(CURDIR) is not a git checkout: a release is made from a commit" >&2; exit 1; }
	@[ "$(VELLUM_RELEASE_DIRTY)" = 1 ] || [ -z "$$(git status --porcelain)" ] || \
		{ echo "make release: the tree has changes not committed (VELLUM_RELEASE_DIRTY=1 releases it anyway)" >&2; exit 1; }

# Two releases of this commit must be the same bytes: this tree's (made from the builds it
# already has, as after `make test`) and one from a clean clone at another path, built at
# another time under umask 077 in another time zone and locale. Their SHA256SUMS are compared
# (diffoscope shows why not). Every directory in both packages must be 0755; and a release
# must refuse the clone once it has an uncommitted change, and the source tarball unpacked,
# which is no git checkout.
release-check: check-deps release
	@set -e; b=$$(mktemp -d /tmp/vellum-release-bb.XXXXXX); \
	git clone -q $(CURDIR) $$b/src/vellum; \
	localedef -i en_US -f UTF-8 $$b/en_US.UTF-8 2>/dev/null || true; \
	(umask 077 && export TZ=Pacific/Kiritimati LOCPATH=$$b LC_ALL=en_US.UTF-8 && $(MAKE) -j $(JOBS) -C $$b/src/vellum release TESTS=OFF) \
		>$$b/log 2>&1 || { tail -n 30 $$b/log; exit 1; }; \
	cat $(DIST)/SHA256SUMS; \
	for dist in $(CURDIR)/$(DIST) $$b/src/vellum/$(DIST); do \
		closed=$$(dpkg-deb -c $$dist/vellum_*.deb | awk '/^d/ && $$1 != "drwxr-xr-x"'; \
			rpm -qp --qf '[%{FILEMODES:perms} %{FILENAMES}\n]' $$dist/vellum-*.rpm | awk '/^d/ && $$1 != "drwxr-xr-x"'); \
		[ -z "$$closed" ] || { echo "FAILED: directories in the packages that are not 0755:"; echo "$$closed"; exit 1; }; \
	done; \
	echo "more" >> $$b/src/vellum/README.md; \
	if $(MAKE) -C $$b/src/vellum release TESTS=OFF >$$b/dirty.log 2>&1; then echo "FAILED: a dirty tree was released"; exit 1; fi; \
	tar -C $$b -xzf $(DIST)/vellum-$(VERSION).tar.gz; \
	if $(MAKE) -C $$b/vellum-$(VERSION) release TESTS=OFF >$$b/exported.log 2>&1; then echo "FAILED: a tree without git was released"; exit 1; fi; \
	echo "release-check: refused, as they must be: $$(grep -h 'make release:' $$b/dirty.log $$b/exported.log | tr '\n' ' ')"; \
	if cmp -s $(DIST)/SHA256SUMS $$b/src/vellum/$(DIST)/SHA256SUMS; then \
		echo "release-check: two builds of one commit gave the same bytes"; rm -rf $$b; \
	else \
		diff $(DIST)/SHA256SUMS $$b/src/vellum/$(DIST)/SHA256SUMS; \
		echo "FAILED: the two releases differ (this tree's $(DIST) and $$b)"; exit 1; \
	fi

# The fast tests alone.
unit: build
	ctest --test-dir $(BUILD) -L unit --output-on-failure

LINTED := platform/linux/linux.cpp platform/linux/capture.cpp platform/linux/glfw_host.cpp platform/linux/output_file.cpp \
          platform/linux/quoted.cpp platform/linux/screensaver.cpp platform/linux/threads.cpp \
          $(wildcard core/*.cpp picture/*.cpp render/*.cpp gl/*.cpp)
# The Windows and browser entries, against their own systems' headers (MinGW's, Emscripten's):
# nothing builds them natively, so they are linted with the flags their builds use. (Emscripten's
# headers trip clang-tidy's dynamic-static-initializers check on every extern declaration.)
WINDOWS_LINTED := platform/windows/windows.cpp platform/windows/pixel_format.cpp platform/windows/activation.cpp platform/windows/wgl.cpp \
                  platform/windows/screensaver.cpp platform/windows/saver_command.cpp platform/windows/threads.cpp
WEB_LINTED     := platform/web/web.cpp platform/web/threads.cpp
# (MinGW's headers are looked for when the recipe runs: windows-deps may just have installed them.)
MINGW_CXX      := /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++
EMSCRIPTEN_SYS := /usr/share/emscripten/cache/sysroot/include
LINT_SIZE      := -std=c++20 -I. -DVELLUM_SCREEN_WIDTH=$(word 1,$(DESIGN_WH)) -DVELLUM_SCREEN_HEIGHT=$(word 2,$(DESIGN_WH))
lint: build check-deps windows-deps web-deps
	printf '%s\n' $(LINTED) | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet
	@mingw=$$(ls -d $(MINGW_CXX) 2>/dev/null | head -n 1); if [ -n "$$mingw" ]; then \
		clang-tidy --quiet $(WINDOWS_LINTED) -- --target=x86_64-w64-mingw32 $(LINT_SIZE) -DVELLUM_PROGRAM='"vellum"' \
			-isystem $$mingw -isystem $$mingw/x86_64-w64-mingw32; \
	else $(call skip,the Windows entry's lint: no MinGW-w64); fi
	@if [ -d $(EMSCRIPTEN_SYS)/c++/v1 ]; then \
		clang-tidy --quiet --checks=-bugprone-dynamic-static-initializers $(WEB_LINTED) -- \
			--target=wasm32-unknown-emscripten $(LINT_SIZE) -D__EMSCRIPTEN__ -nostdinc++ \
			-isystem $(EMSCRIPTEN_SYS)/c++/v1 -isystem $(EMSCRIPTEN_SYS); \
	else $(call skip,the page's entry's lint: no Emscripten); fi
	cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr --quiet \
		--std=c++20 -I . -DVELLUM_SCREEN_WIDTH=$(word 1,$(DESIGN_WH)) -DVELLUM_SCREEN_HEIGHT=$(word 2,$(DESIGN_WH)) \
		-DVELLUM_PROGRAM='"vellum"' $(LINTED) $(WINDOWS_LINTED) $(WEB_LINTED)

# The sanitizers watch each path once, at 1280 x 720: the numeric stages and the CPU OpenGL
# (whose whole-pass reference is slow under them at 1920 x 1080), the render on the system's
# OpenGL, and the programs themselves, whose host code is the same on every display and at
# both sizes (the Windows programs, run under Wine by the same tests, are not built with them).
# The GL drivers are unloaded before the leak check runs, so their own allocations
# cannot be told apart from the programs'; leak checking is on only for the tests without a GL
# context. (The product allocates nothing itself: its large data is static.)
SANITIZE := build-sanitize
SANITIZED_TESTS := unit_tests draw_calls_test output_file_test soft_gl_test_720 stages_test_720 gl_test_720 programs_test
# ThreadSanitizer watches the drawing threads of Vellum's own OpenGL once, on the pinned render
# at each thread count.
TSAN := build-tsan
sanitize-build: deps
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_SANITIZE=ON -DVELLUM_WERROR=ON \
		-DVELLUM_BENCH=OFF
	cmake --build $(SANITIZE) -j $(JOBS) --target $(SANITIZED_TESTS)
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLUM_SANITIZE_THREADS=ON -DVELLUM_WERROR=ON \
		-DVELLUM_BENCH=OFF
	cmake --build $(TSAN) -j $(JOBS) --target soft_gl_test_720

sanitize: sanitize-build
	ctest --test-dir $(SANITIZE) -L unit -E '^soft_gl_1080$$' --output-on-failure
	ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 UBSAN_OPTIONS=print_stacktrace=1 GTEST_FILTER='-Windows.*' \
		$(XVFB) ctest --test-dir $(SANITIZE) -R '^(programs|gl_720|stages_720)$$' -j 2 --output-on-failure
	TSAN_OPTIONS=halt_on_error=1 ./$(TSAN)/tests/soft_gl_test_720 --gtest_filter=SoftGl.DrawsThePinnedPictureOnAnyNumberOfThreads

bench: build
	./$(BUILD)/bench/composite_bench
	./$(BUILD)/bench/stages_bench
	for size in $(SIZES); do ./$(BUILD)/bench/soft_gl_bench_$$size || exit 1; done
	$(XVFB) sh -c 'for size in $(SIZES); do ./$(BUILD)/bench/pass_bench_$$size || exit 1; done'

clean:
	rm -rf $(BUILD) $(SANITIZE) $(TSAN) $(WINDOWS) $(CROSS) build-emscripten $(WEB) $(DIST)
