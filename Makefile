# The two commands of the README:
#   make run   - builds the unit and the viewer and starts vondrel under its
#                own unit root in ./run (the unit makes the root's folders)
#   make test  - builds and runs every test (AddressSanitizer + UBSan)
# Both install the Debian packages they need first (quick when present).

SHELL := /bin/bash
JOBS  ?= $(shell nproc)
BUILD ?= build
ROOT  := $(CURDIR)/run/root

# Build and run-time libraries, then the peers that tests talk to.
PACKAGES := cmake ninja-build g++ ccache pkg-config \
	libgtest-dev libgmock-dev libbenchmark-dev \
	zlib1g-dev libjpeg62-turbo-dev libfreetype-dev liblzo2-dev libxml2-dev libpng-dev \
	libegl-dev libgles-dev libegl-mesa0 libgl1-mesa-dri libsdl2-dev \
	clang libclang-rt-14-dev libssl-dev \
	lrzsz libopenjp2-tools proj-bin socat tshark iproute2 python3-crcmod python3-serial geographiclib-tools libgeographiclib-dev \
	fonts-dejavu-core fonts-liberation

export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_DIR ?= $(HOME)/.cache/ccache
export CCACHE_MAXSIZE ?= 5G

.PHONY: all deps configure build test run bench bench-build clean fuzz fuzz-build tsan-build

all: build

deps:
	@missing=$$(dpkg-query -W -f='$${Package} $${Status}\n' $(PACKAGES) 2>/dev/null \
	    | awk '$$NF=="installed"{print $$1}' | sort -u | comm -13 - <(tr ' ' '\n' <<<"$(PACKAGES)" | grep . | sort -u)); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  export DEBIAN_FRONTEND=noninteractive; \
	  $$SUDO apt-get install -y -q --no-install-recommends $$missing \
	    || { $$SUDO apt-get update -q && $$SUDO apt-get install -y -q --no-install-recommends $$missing; }; \
	fi

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DVONDREL_SANITIZE=ON

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# The libFuzzer targets live in a second, clang-built tree; make test runs
# each for a few seconds, make fuzz for FUZZ_SECONDS each.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 600

$(FUZZ_BUILD)/build.ninja: | deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DVONDREL_SANITIZE=ON -DVONDREL_FUZZ=ON -DVONDREL_BENCH=OFF

fuzz-build: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target vondrel_fuzz_targets

# The ThreadSanitizer tree builds the tests of the folders that run tasks or
# threads (vondrel_tests(... TSAN), target vondrel_tsan_targets) and the
# programs they start; make test runs them under the label tsan. A report
# ends the program that made it (status 66), which fails its test.
TSAN_BUILD ?= build-tsan
# ThreadSanitizer sleeps a second before every exit by default (to catch
# races at exit); our tests end their threads before they return, and a
# thousand such seconds were most of the run.
TSAN_OPTIONS ?= halt_on_error=1 second_deadlock_stack=1 exitcode=66 atexit_sleep_ms=50

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DVONDREL_TSAN=ON -DVONDREL_SANITIZE=OFF -DVONDREL_BENCH=OFF

tsan-build: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target vondrel_tsan_targets

# The benchmarks in an optimised tree, build-rel/: only the benchmarks and
# what they link (target vondrel_bench_targets). make test builds them there
# so that make bench cannot rot unseen; the Debug tree's ctest runs each
# briefly (label bench).
REL_BUILD ?= build-rel

$(REL_BUILD)/build.ninja: | deps
	cmake -S . -B $(REL_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVONDREL_SANITIZE=OFF

bench-build: deps $(REL_BUILD)/build.ninja
	cmake --build $(REL_BUILD) -j $(JOBS) --target vondrel_bench_targets

test: build fuzz-build tsan-build bench-build
	cd $(FUZZ_BUILD) && ctest -L fuzz -j $(JOBS) --output-on-failure --timeout 600
	cd $(TSAN_BUILD) && TSAN_OPTIONS="$(TSAN_OPTIONS)" ctest -L tsan -j $(JOBS) --output-on-failure --timeout 1200 --repeat until-pass:2
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 600 --repeat until-pass:2

fuzz: fuzz-build
	cd $(FUZZ_BUILD) && VONDREL_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	  ctest -L fuzz -j $(JOBS) --output-on-failure --timeout $$(( $(FUZZ_SECONDS) + 600 ))

run: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target vondrel vondrel-view vondrel-demorec
	@if [ -n "$${DISPLAY:-}" ] && [ -x $(BUILD)/tools/vondrel-view ]; then \
	  VONDREL_ROOT=$(ROOT) $(BUILD)/tools/vondrel-view & fi
	@$(BUILD)/tools/vondrel-demorec $(ROOT)/usr/vondrel/SONARSIM
	VONDREL_ROOT=$(ROOT) VONDREL_CWD=$(ROOT)/usr/vondrel $(BUILD)/app/vondrel $(ARGS)

bench: bench-build
	@for b in $(REL_BUILD)/bench/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; \
	done

clean:
	rm -rf $(BUILD) $(REL_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
