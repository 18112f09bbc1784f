# The two commands of the README:
#   make demo   installs what is missing, builds, and runs the main job
#   make test   installs what is missing, builds, and runs every test
PRESETS := native win32 wintest
FUZZ_SECONDS ?= 20
DIFFERENTIAL_RUNS ?= 5000000

.PHONY: all deps build test demo package screenshot bench fuzz clean $(addprefix build-,$(PRESETS))

all: build

deps:
	@scripts/install-deps

build: deps $(addprefix build-,$(PRESETS))

$(addprefix build-,$(PRESETS)): build-%: deps
	@mkdir -p build
	@test -f build/$*/build.ninja || cmake --preset $* >build/configure-$*.log 2>&1 \
	  || { cat build/configure-$*.log; exit 1; }
	@scripts/stage "build $*" cmake --build --preset $*

build/native/bin/query_fuzz: build-native

# Every suite; the 32-bit one runs the DLL as it ships (see scripts/test-32bit).
test: build
	@scripts/check-dll
	@scripts/stage "native suite" ctest --preset native
	@scripts/stage "x86-64 Win32 suite" ctest --preset wintest
	@scripts/stage "32-bit suite" scripts/test-32bit
	@scripts/stage "demo" scripts/test-demo
	@cmake --build --preset win32 --target release_package >/dev/null && scripts/check-package
	@mkdir -p build/fuzz-corpus build/differential-corpus
	@scripts/stage "shape fuzzer" sh -c 'build/native/bin/query_fuzz -max_total_time=$(FUZZ_SECONDS) \
	  build/fuzz-corpus 2>build/fuzz.log || { tail -40 build/fuzz.log; exit 1; }; grep -a "^Done" build/fuzz.log'
	@scripts/stage "differential fuzzer" sh -c 'build/native/bin/differential_fuzz -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=128 build/differential-corpus 2>build/differential.log \
	  || { tail -40 build/differential.log; exit 1; }; grep -a "^Done" build/differential.log'

demo: build
	@scripts/demo

package: build-win32
	@cmake --build --preset win32 --target release_package >/dev/null
	@scripts/check-dll
	@scripts/check-package
	@ls -l dist/

screenshot: deps build
	@EXTRA_PACKAGES="fonts-ipafont-gothic fonts-wine imagemagick x11-utils" scripts/install-deps
	@scripts/screenshot docs

# The translation natively; whole runs of search under 64-bit Wine.
bench: build-native build-wintest
	build/native/bin/query_bench --benchmark_counters_tabular=true
	scripts/wine-run $(CURDIR)/build/wintest/wine-prefix wine64 build/wintest/bin/run_bench.exe

# Two minutes of the shape fuzzer, then ten million differential runs on
# both cores.
fuzz: build-native
	@mkdir -p build/fuzz-corpus build/differential-corpus
	build/native/bin/query_fuzz -max_total_time=120 build/fuzz-corpus
	build/native/bin/differential_fuzz -max_len=128 -runs=$(DIFFERENTIAL_RUNS) -jobs=2 -workers=2 \
	  -print_final_stats=1 build/differential-corpus

clean:
	rm -rf build
