# Entry points: `make run`, `make test`, `make package`. Each installs what is missing first.
BUILD    ?= build
PACKAGE_BUILD ?= build-package
JOBS     ?= $(shell nproc 2>/dev/null || echo 2)
# What the game needs to build and run; the tests add theirs, the package its tools.
RUN_PACKAGES = g++ cmake make pkg-config qt6-base-dev libsdl2-dev libfontconfig-dev \
               fonts-liberation fonts-wine fonts-dejavu-core
# The tests' tools; the last line serves and mounts the network folders the hall of fame is tried on.
PACKAGES     = $(RUN_PACKAGES) libbenchmark-dev desktop-file-utils appstream strace \
               openssh-server openssh-client sshfs samba smbnetfs fuse3
PACKAGE_PACKAGES = $(RUN_PACKAGES) dpkg-dev file
# The fuzz build is clang's, with libFuzzer's runtime (which clang only recommends).
FUZZ_PACKAGES = $(PACKAGES) clang libclang-rt-dev
SUDO     = $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The player's files in a build folder (hall of fame, settings, and what goes with them).
PLAYER_FILES = Talo*

.PHONY: all deps deps-run deps-package deps-fuzz configure build run test bench package test-asan fuzz clean format

all: build

define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))
deps-run:
	$(call install_missing,$(RUN_PACKAGES))
deps-package:
	$(call install_missing,$(PACKAGE_PACKAGES))
deps-fuzz:
	$(call install_missing,$(FUZZ_PACKAGES))

# The tests are switched on here even in a folder that `make run` configured without them.
configure: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || $(CONFIGURE) -DBUILD_TESTING=ON
	@grep -q '^BUILD_TESTING:BOOL=ON' $(BUILD)/CMakeCache.txt || $(CONFIGURE) -DBUILD_TESTING=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the game, the simulator and what ships beside them.
run: deps-run
	@[ -f $(BUILD)/CMakeCache.txt ] || $(CONFIGURE) -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS) --target talomir talomir-sim talomir-assets
	cd $(BUILD) && ./talomir

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer; any finding fails it.
ASAN_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 \
                UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Ninja and ccache when present: the sanitizer build is the slowest one.
FAST_CONFIGURE = $(if $(shell command -v ninja),-G Ninja) \
                 $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
test-asan: deps
	@[ -f $(ASAN_BUILD)/CMakeCache.txt ] || cmake -S . -B $(ASAN_BUILD) $(FAST_CONFIGURE) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALOMIR_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy $(SANITIZER_ENV) \
	  ctest --output-on-failure -j $(JOBS)

# Each libFuzzer target of tests/fuzz for FUZZ_SECONDS (CI gives each a minute), starting from
# its seed corpus; the inputs it finds collect in $(FUZZ_BUILD)/corpus/<name>. Every target runs;
# any finding (a crash, a sanitizer report, a failed check, an input slower than FUZZ_TIMEOUT
# seconds or past libFuzzer's memory limit) fails the whole, its input kept in
# $(FUZZ_BUILD)/findings/.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 300
FUZZ_TIMEOUT ?= 30
fuzz: deps-fuzz
	@[ -f $(FUZZ_BUILD)/CMakeCache.txt ] || CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(FAST_CONFIGURE) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALOMIR_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-targets
	@mkdir -p $(FUZZ_BUILD)/findings; passed=0; failed=""; \
	for src in tests/fuzz/fuzz_*.cpp; do \
	  name=$$(basename $$src .cpp | sed 's/^fuzz_//'); \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name: $(FUZZ_SECONDS) s"; \
	  if $(SANITIZER_ENV) $(FUZZ_BUILD)/tests/fuzz/talomir-fuzz-$$name \
	       -max_total_time=$(FUZZ_SECONDS) -timeout=$(FUZZ_TIMEOUT) -print_final_stats=1 \
	       -artifact_prefix=$(FUZZ_BUILD)/findings/$$name- \
	       $(FUZZ_BUILD)/corpus/$$name tests/fuzz/corpus/$$name; \
	  then passed=$$((passed + 1)); else failed="$$failed $$name"; fi; \
	done; \
	[ -z "$$failed" ] || echo "Findings in:$$failed (inputs in $(FUZZ_BUILD)/findings)"; \
	echo "fuzz: $$passed passed, $$(echo $$failed | wc -w) failed"; \
	[ -z "$$failed" ]

bench: build
	$(BUILD)/tools/bench/talomir-bench

# A .deb in $(PACKAGE_BUILD), built for /usr without the tests.
package: deps-package
	@[ -f $(PACKAGE_BUILD)/CMakeCache.txt ] || cmake -S . -B $(PACKAGE_BUILD) \
	  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack
	@ls -1 $(PACKAGE_BUILD)/*.deb

format:
	find game scoring ui sound app tools tests -name '*.cpp' -o -name '*.h' | xargs clang-format -i

# Removes what the builds made; a table or settings a player left in $(BUILD) stays.
clean:
	@for f in $(BUILD)/$(PLAYER_FILES); do [ ! -e "$$f" ] || echo "Keeping $$f (a player's file)"; done
	@[ ! -d $(BUILD) ] || find $(BUILD) -mindepth 1 -maxdepth 1 ! -name '$(PLAYER_FILES)' -exec rm -rf {} +
	rm -rf $(PACKAGE_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
