# make run  : install what is missing, build, start the bench on the virtual unit
# make test : install what is missing, build, run every test (plain and sanitizer builds)
# make test-tsan : the worker-thread tests alone under the thread sanitizer
# make fuzz : the libFuzzer targets, each for FUZZ_SECONDS (60 by default)
# make mutate : seed small faults one at a time and report those the tests miss

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-plain test-asan asan-build test-tsan include-graph clean mutate \
        fuzz-build fuzz test-fuzz

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash scripts/run-bench.sh $(BUILD)/bin/Varnw

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

asan-build: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVARN_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)

test-asan: asan-build
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# The tests labelled "threads" (dialogs with a worker thread on the virtual
# unit), built alone in a folder of their own with the thread sanitizer.
TSAN_TARGETS = tst_readbadge tst_emctest
test-tsan: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARN_TSAN=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target $(TSAN_TARGETS)
	@cd $(TSAN_BUILD) && ctest -L threads --output-on-failure -j$(JOBS)

# Folder-to-folder includes: fails on a circle between folders or an include of src/app.
include-graph:
	@python3 scripts/include-graph.py

# The fuzz targets need clang and build on their own (fuzz/CMakeLists.txt).
fuzz-build: deps
	@cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS)

# A short run of every target on its corpus, as a smoke test.
test-fuzz: fuzz-build
	@cd $(FUZZ_BUILD) && ctest --output-on-failure -j$(JOBS)

# FUZZ_TARGETS picks some (make fuzz FUZZ_TARGETS="BmpFuzz TiffFuzz").
FUZZ_TARGETS ?=
fuzz: fuzz-build
	@names="$(FUZZ_TARGETS)"; [ -n "$$names" ] || names=$$(cd $(FUZZ_BUILD) && find . -maxdepth 1 -type f -name "*Fuzz" -printf "%f\n" | sort); \
	for name in $$names; do \
	    echo "$$name: $(FUZZ_SECONDS) s"; \
	    mkdir -p $(FUZZ_BUILD)/corpus-$$name $(FUZZ_BUILD)/crashes; \
	    dict=; [ -f fuzz/$$name.dict ] && dict=-dict=fuzz/$$name.dict; \
	    $(FUZZ_BUILD)/$$name -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 \
	        -artifact_prefix=$(FUZZ_BUILD)/crashes/$$name- $$dict \
	        $(FUZZ_BUILD)/corpus-$$name $(FUZZ_BUILD)/seeds-$$name || exit 1; \
	done

test: include-graph test-plain test-asan test-fuzz

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)

# Seeds the faults listed in scripts/mutations.txt one at a time and reports
# the ones the tests miss. Uses a build folder of its own; not part of "test".
MUTATE_BUILD ?= build-mutate
mutate:
	@python3 scripts/mutate.py --build $(MUTATE_BUILD) --jobs $(JOBS)
