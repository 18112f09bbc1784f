# The two commands of the README:
#   make demo   installs what is missing, builds, and runs the main job
#   make test   installs what is missing, builds, and runs every test
PRESETS := native win32 wintest
FUZZ_SECONDS ?= 30

.PHONY: all deps build test demo bench fuzz clean $(addprefix build-,$(PRESETS))

all: build

deps:
	@scripts/install-deps

build: deps $(addprefix build-,$(PRESETS))

$(addprefix build-,$(PRESETS)): build-%: deps
	@test -f build/$*/build.ninja || cmake --preset $* >build/configure-$*.log 2>&1 \
	  || { cat build/configure-$*.log; exit 1; }
	@cmake --build --preset $*

build/native/bin/query_fuzz: build-native

test: build
	ctest --preset native
	ctest --preset wintest
	@if scripts/can-run-32bit; then ctest --preset win32; \
	 else echo "This kernel cannot run 32-bit programs: the 32-bit build is compiled, and its tests run as x86-64 under Wine above."; fi
	@mkdir -p build/fuzz-corpus
	build/native/bin/query_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=0 build/fuzz-corpus 2>build/fuzz.log \
	  || { tail -40 build/fuzz.log; exit 1; }
	@grep -a '^Done' build/fuzz.log

demo: build-native
	@printf '%s\n' 'foo' 'subject:"a b" from:bob' 'from+to:alice "a b"' \
	  'attach:report flag:unread attach:*' 'subject: x subject:y' '検索 "議事録"' \
	  | iconv -f UTF-8 -t SHIFT_JIS | tee build/demo-queries.txt \
	  | build/native/bin/velmoro-translate --scope 1002 >build/demo-expressions.txt
	@paste -d '\n' build/demo-queries.txt build/demo-expressions.txt | iconv -f SHIFT_JIS -t UTF-8 \
	  | awk 'NR % 2 { print "query:      " $$0; next } { print "expression: " $$0 "\n" }'

bench: build-native
	build/native/bin/query_bench --benchmark_counters_tabular=true

fuzz: build-native
	@mkdir -p build/fuzz-corpus
	build/native/bin/query_fuzz -max_total_time=600 build/fuzz-corpus

clean:
	rm -rf build
