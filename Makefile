# make run   - install dependencies, build (Release), start the engine on the demo game
# make test  - install dependencies, build with sanitizers, run every test
# make bench - build (Release) and run the benchmarks, then the whole-program
#              ones under bench/whole/ (they need Xvfb; the music one fluidsynth)
# make format-check - check that the C++ files changed since the tree was
#              last formatted as a whole follow .clang-format
# make fuzz  - build the fuzz targets with clang/libFuzzer and run each for a bounded time
# make install - build (Release) and install to $(PREFIX) (default /usr/local; DESTDIR honoured)
# make release-test - build every target in Release (tests, benchmarks, the
#              demo's makers) and run the tests there; CI runs it after make test

JOBS        ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR    := build/test
RELEASE_TEST_DIR := build/release-test
FUZZ_DIR    := build/fuzz
FUZZ_SECONDS ?= 60
PREFIX      ?= /usr/local
DEMO        := examples/demo/demo.tgs
ROOT        := $(abspath $(dir $(lastword $(MAKEFILE_LIST))))

# Runs every test of the build folder $(1) with a home and per-user folders
# of their own, no display and no sound card.
define run_tests
	@tmp=$$(mktemp -d) && mkdir -p $$tmp/home $$tmp/config $$tmp/data $$tmp/cache $$tmp/runtime && \
	  chmod 700 $$tmp/runtime && \
	  cd $(1) && \
	  HOME=$$tmp/home XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data \
	  XDG_CACHE_HOME=$$tmp/cache XDG_RUNTIME_DIR=$$tmp/runtime \
	  QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS); rc=$$?; rm -rf $$tmp; exit $$rc
endef

.PHONY: all deps build run install test release-test bench fuzz format-check clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTG_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	$(RELEASE_DIR)/apps/tideglass $(DEMO)

install: build
	DESTDIR=$(DESTDIR) cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

test: deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTG_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1"
	cmake --build $(TEST_DIR) -j $(JOBS)
	$(call run_tests,$(TEST_DIR))

release-test: deps
	cmake -S . -B $(RELEASE_TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_TEST_DIR) -j $(JOBS) --target all demo_pictures make_sounds
	$(call run_tests,$(RELEASE_TEST_DIR))

bench:
	@scripts/install-deps --bench
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTG_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; \
	  QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$$b" || exit 1; done
	@if command -v Xvfb >/dev/null; then bench/whole/idle_cpu.sh $(RELEASE_DIR) || exit 1; \
	  else echo "== bench/whole/idle_cpu.sh skipped: no Xvfb"; fi
	@if command -v Xvfb >/dev/null && command -v fluidsynth >/dev/null; then \
	  bench/whole/music_cpu.sh $(RELEASE_DIR) || exit 1; \
	  else echo "== bench/whole/music_cpu.sh skipped: needs Xvfb and fluidsynth"; fi
	@if command -v Xvfb >/dev/null && [ -x $(RELEASE_DIR)/bench/whole/startup_map_timer ]; then \
	  echo "== bench/whole/startup.sh"; bench/whole/startup.sh $(RELEASE_DIR) || exit 1; \
	else echo "== bench/whole/startup.sh skipped (needs Xvfb and the xcb headers)"; fi

format-check:
	@scripts/install-deps --format
	scripts/check-format

fuzz:
	@scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTG_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for f in $(FUZZ_DIR)/fuzz/fuzz_*; do \
	  [ -f "$$f" ] && [ -x "$$f" ] || continue; name=$$(basename $$f); echo "== $$name"; \
	  mkdir -p $(FUZZ_DIR)/corpus/$$name; \
	  seeds=$(ROOT)/fuzz/corpus/$${name#fuzz_}; [ -d $$seeds ] || seeds=; \
	  dict=$(ROOT)/fuzz/$${name#fuzz_}.dict; if [ -f $$dict ]; then dict=-dict=$$dict; else dict=; fi; \
	  QT_QPA_PLATFORM=offscreen "$$f" -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 $$dict \
	    $(FUZZ_DIR)/corpus/$$name $$seeds || exit 1; done
	@# Scripts of up to 1 MB, in a corpus of their own so that the run above
	@# keeps its short inputs, seeded with a script of many lines and one of
	@# a single unbroken line.
	@echo "== fuzz_script_load, long inputs"; long=$(FUZZ_DIR)/corpus/fuzz_script_load_long; mkdir -p $$long; \
	  [ -f $$long/seed_lines ] || { printf '*SCENE s\r\n'; \
	    yes 'A line of the story {F(1)=F(1)+1} with a [word].' | head -n 20000 | sed 's/$$/\r/'; \
	    printf '>look\r\nlooked\r\n*END\r\n?look\r\n*SCENEEND\r\n'; } > $$long/seed_lines; \
	  [ -f $$long/seed_word ] || { printf '*SCENE s\r\n'; head -c 1000000 /dev/zero | tr '\0' x; \
	    printf '\r\n*SCENEEND\r\n'; } > $$long/seed_word; \
	  QT_QPA_PLATFORM=offscreen $(FUZZ_DIR)/fuzz/fuzz_script_load -max_len=1048576 -len_control=0 \
	    -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=2048 -dict=$(ROOT)/fuzz/script_load.dict \
	    $$long $(ROOT)/fuzz/corpus/script_load

clean:
	rm -rf build
