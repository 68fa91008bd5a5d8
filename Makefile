# The two commands of the README:
#   make run   - builds and starts vondrel under its own unit root in ./run
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
	lrzsz libopenjp2-tools proj-bin socat tshark iproute2 \
	fonts-dejavu-core fonts-liberation

export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_DIR ?= $(HOME)/.cache/ccache
export CCACHE_MAXSIZE ?= 5G

.PHONY: all deps configure build test run bench clean fuzz fuzz-build tsan-build

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

# The ThreadSanitizer tree builds only the tests that need it (target
# vondrel_tsan_targets); make test runs them under the label tsan.
TSAN_BUILD ?= build-tsan

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
	  -DVONDREL_TSAN=ON -DVONDREL_SANITIZE=OFF -DVONDREL_BENCH=OFF

tsan-build: deps $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target vondrel_tsan_targets

test: build fuzz-build tsan-build
	cd $(FUZZ_BUILD) && ctest -L fuzz -j $(JOBS) --output-on-failure --timeout 600
	cd $(TSAN_BUILD) && ctest -L tsan -j $(JOBS) --output-on-failure --timeout 1200
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 600 --repeat until-pass:2

fuzz: fuzz-build
	cd $(FUZZ_BUILD) && VONDREL_FUZZ_SECONDS=$(FUZZ_SECONDS) \
	  ctest -L fuzz -j $(JOBS) --output-on-failure --timeout $$(( $(FUZZ_SECONDS) + 600 ))

run: build
	@mkdir -p $(ROOT)/usr/vondrel $(ROOT)/tmp $(ROOT)/dev $(ROOT)/mnt
	@if [ -n "$${DISPLAY:-}" ] && [ -x $(BUILD)/tools/vondrel-view ]; then \
	  VONDREL_ROOT=$(ROOT) $(BUILD)/tools/vondrel-view & fi
	@$(BUILD)/tools/vondrel-demorec $(ROOT)/usr/vondrel/SONARSIM
	VONDREL_ROOT=$(ROOT) VONDREL_CWD=$(ROOT)/usr/vondrel $(BUILD)/app/vondrel $(ARGS)

bench: deps
	cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DVONDREL_SANITIZE=OFF
	cmake --build build-rel -j $(JOBS)
	for b in build-rel/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) build-rel build-tsan $(FUZZ_BUILD)
