# Front door: `make run` shows the picture (or writes it as PNG without a display),
# `make test` builds and runs every test on a private X server. Both install what they need.

BUILD    ?= build
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
XVFB     := xvfb-run -a -e /tmp/vellum-xvfb.log -s "-screen 0 1920x1080x24"
PACKAGES := build-essential cmake libglfw3-dev libgl-dev libgl1-mesa-dri libpng-dev \
            libgtest-dev libbenchmark-dev libx11-dev libxtst-dev xvfb xauth python3 \
            weston xwayland
SUDO     := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

.PHONY: all deps build run test bench clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DVELLUM_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)

# GLFW's Wayland build, unpacked beside the tests (it would replace the X11 build if installed).
$(BUILD)/wayland-glfw:
	@rm -rf $@.tmp && mkdir -p $@.tmp && cd $@.tmp && \
	if apt-get download libglfw3-wayland >/dev/null 2>&1 && dpkg -x libglfw3-wayland_*.deb . ; then \
		cd .. && mv wayland-glfw.tmp wayland-glfw; \
	else echo "libglfw3-wayland could not be fetched: the Wayland test will be skipped"; cd .. && rm -rf wayland-glfw.tmp; fi

run: build
	@if [ -n "$$DISPLAY" ]; then \
		./$(BUILD)/vellum-1080; \
	else \
		$(XVFB) ./$(BUILD)/vellum-capture-1080 vellum-1080.png && \
		echo "No display here: wrote the picture to $(CURDIR)/vellum-1080.png"; \
	fi

test: build $(BUILD)/wayland-glfw
	$(XVFB) ctest --test-dir $(BUILD) --output-on-failure || \
		{ echo "X server log:"; cat /tmp/vellum-xvfb.log; exit 1; }

bench: build
	./$(BUILD)/bench/composite_bench
	./$(BUILD)/bench/stages_bench
	$(XVFB) sh -c './$(BUILD)/bench/pass_bench_1080 && ./$(BUILD)/bench/pass_bench_720'

clean:
	rm -rf $(BUILD)
