# Seven Well. `make run` builds and plays; `make test` builds and runs every test.
BUILD ?= build
ASAN  ?= build-asan
JOBS  ?= $(shell nproc)

.PHONY: run test game bench contact soak fuzz mutate format tidy clean install uninstall web web-test \
  deb deb-test windows win-test

game:
	@scripts/deps.sh run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: game
	$(BUILD)/game/sevenwell

# The formatting, then everything in the normal build with warnings as
# errors, then all of it again under AddressSanitizer + UBSan, then the
# fuzzers, the browser build and the Windows build under Wine. The
# end-to-end checks (tests/e2e/e2e.mjs) mostly wait on the game, so they
# play while other work runs: on the normal build while the sanitizer build
# compiles, on the sanitizer build beside its tests and the fuzzers. Never
# two ctest runs in one build folder at once.
E2E = node tests/e2e/e2e.mjs
test:
	@scripts/deps.sh test
	$(MAKE) --no-print-directory format
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSW_WERROR=ON
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSW_SANITIZE=ON -DSW_BENCH=OFF -DSW_WERROR=ON
	($(E2E) $(BUILD) --desktop >$(BUILD)/e2e.log 2>&1; echo $$? >$(BUILD)/e2e.rc) & \
	  cmake --build $(ASAN) -j $(JOBS); built=$$?; wait; cat $(BUILD)/e2e.log; \
	  [ $$built = 0 ] && [ "$$(cat $(BUILD)/e2e.rc)" = 0 ]
	($(E2E) $(ASAN) --desktop >$(ASAN)/e2e.log 2>&1; echo $$? >$(ASAN)/e2e.rc) & \
	  (cd $(ASAN) && ctest --output-on-failure -j $(JOBS)) && \
	  $(MAKE) --no-print-directory fuzz FUZZ_SECONDS=10; rc=$$?; wait; cat $(ASAN)/e2e.log; \
	  [ $$rc = 0 ] && [ "$$(cat $(ASAN)/e2e.rc)" = 0 ]
	$(MAKE) --no-print-directory web-test
	$(MAKE) --no-print-directory win-test WIN_WERROR=ON
	$(MAKE) --no-print-directory deb-test

# Every C and C++ file as .clang-format has it.
SOURCES = $(shell find src tools tests bench -name '*.cpp' -o -name '*.h' -o -name '*.c')
format:
	clang-format --dry-run --Werror $(SOURCES)
	@echo "format: $(words $(SOURCES)) files as .clang-format has them"

# clang-tidy with the checks of .clang-tidy over the game and its tools.
tidy:
	cmake -S . -B $(BUILD) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
	find src tools -name '*.cpp' | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet

# One small fault at a time in the game's code; every fault the tests miss
# is listed (tools/mutants.txt holds the faults).
mutate:
	@scripts/deps.sh test
	tools/mutate.sh

# libFuzzer on the score file reader and the picture loader (clang), each
# for FUZZ_SECONDS; new findings are written to $(FUZZ)/findings.
FUZZ ?= build-fuzz
FUZZ_SECONDS ?= 600
fuzz:
	cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DSW_FUZZ=ON \
	  -DSW_ASSETS=OFF -DSW_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers
	mkdir -p $(FUZZ)/work/score $(FUZZ)/work/bitmap $(FUZZ)/findings
	$(FUZZ)/tests/fuzz/fuzz_score $(FUZZ)/work/score tests/fuzz/corpus_score \
	  -max_total_time=$(FUZZ_SECONDS) -max_len=256 -artifact_prefix=$(FUZZ)/findings/ -print_final_stats=1 2>&1 | tail -4
	$(FUZZ)/tests/fuzz/fuzz_bitmap $(FUZZ)/work/bitmap tests/fuzz/corpus_bmp \
	  -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -rss_limit_mb=1024 -artifact_prefix=$(FUZZ)/findings/ -print_final_stats=1 2>&1 | tail -4
	@test -z "$$(ls -A $(FUZZ)/findings)" || { echo "fuzzing found: $$(ls $(FUZZ)/findings)"; exit 1; }
	@echo "fuzz: 2 passed, 0 failed"

# A desktop install: the program folder PREFIX/share/sevenwell (the game,
# pic/, sound/ and a score.ini only if none is there), the launcher
# PREFIX/bin/sevenwell, a menu entry, the icon and the AppStream metainfo.
# Uninstalling keeps the player's score.ini.
PREFIX ?= $(HOME)/.local
install: game
	scripts/install.sh install "$(PREFIX)" $(BUILD)

uninstall:
	scripts/install.sh uninstall "$(PREFIX)"

# The Debian package (debian/), built by dpkg-buildpackage from a copy of
# the checkout's files (committed or not, git's ignored ones left out) in
# $(DEB)/src, since it writes its results into the folder above the
# source: the .deb, its .buildinfo and .changes land in $(DEB)/.
DEB ?= build-deb
deb:
	@scripts/deps.sh deb
	rm -rf $(DEB) && mkdir -p $(DEB)/src
	git ls-files -z --cached --others --exclude-standard | \
	  tar --null -T - --ignore-failed-read -cf - | tar -xf - -C $(DEB)/src
	cd $(DEB)/src && DEB_BUILD_OPTIONS="parallel=$(JOBS)" dpkg-buildpackage -b -us -uc
	@echo "package: $$(ls $(DEB)/sevenwell_*.deb) (install it: sudo apt-get install ./$$(ls $(DEB)/sevenwell_*.deb))"

# The package built, lintian's verdict on it (no errors, no warnings), and
# the installed game played by a user made for the check (as root, through
# sudo otherwise, on a machine without the package: tests/e2e/deb.mjs),
# its screens compared with the replay tool's frames of $(BUILD).
deb-test: deb game
	@scripts/deps.sh test
	lintian --fail-on error,warning $(DEB)/sevenwell_*.changes
	$(if $(filter 0,$(shell id -u)),,sudo) $(E2E) $(BUILD) --deb $(DEB)/sevenwell_*.deb

soak: game
	SW_SOAK_TICKS=1000000 $(BUILD)/tests/core_tests --gtest_filter='Soak.*'

bench: game
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bench/budgets.sh $(BUILD)

contact: game
	cmake --build $(BUILD) --target contact_sheet
	@echo "contact sheet: $(BUILD)/contact_sheet.png"

# The browser build: the site in $(WEB)/site (the page and its loader, the
# game's code and first data gzipped, the tunes as Ogg Vorbis, the app
# manifest and the service worker). scripts/web_deps.sh installs emscripten
# and the encoders and builds SDL2 and SDL2_mixer for the browser once;
# pic/ and sound/ are the desktop build's. Serve it with:
# python3 -m http.server -d $(WEB)/site
WEB ?= build-web
# SDL2 and SDL2_mixer for the browser, built once for every checkout.
WEB_LIBS ?= $(HOME)/.cache/sevenwell-web
WEB_ENV = NODE_PATH=/usr/share/nodejs
web:
	@scripts/deps.sh run
	@scripts/web_deps.sh $(WEB_LIBS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target assets
	$(WEB_ENV) emcmake cmake -S . -B $(WEB)/game -DCMAKE_BUILD_TYPE=Release \
	  -DSW_WEB_SYSROOT=$(abspath $(WEB_LIBS))/sysroot -DSW_WEB_ASSETS=$(abspath $(BUILD))/game \
	  -DSW_WEB_SITE=$(abspath $(WEB))/site >/dev/null
	$(WEB_ENV) cmake --build $(WEB)/game -j $(JOBS)
	@echo "site: $(WEB)/site (serve it: python3 -m http.server -d $(WEB)/site)"

# The end-to-end checks of the site in Chromium, Firefox and WebKit
# (SW_BROWSERS=firefox for one), against the replay tool's frames, and
# every tests/e2e/web_*.mjs module.
web-test: web
	@scripts/web_deps.sh $(WEB_LIBS) test
	cmake --build $(BUILD) -j $(JOBS) --target replay
	cd tests/web && npm ci --no-audit --no-fund --loglevel=error
	$(E2E) $(BUILD) --web $(WEB)/site

# The Windows build: the player's folder $(WIN)/SevenWell (SevenWell.exe,
# pic/, sound/, a first score.ini, the licences and README.txt) and its
# zip $(WIN)/SevenWell.zip. scripts/win_deps.sh installs the cross-compiler
# and builds SDL2, SDL2_mixer and GoogleTest for Windows once; pic/ and
# sound/ are the desktop build's. make test builds it with warnings as
# errors (WIN_WERROR=ON).
WIN ?= build-win
WIN_LIBS ?= $(HOME)/.cache/sevenwell-win
WIN_WERROR ?= OFF
windows:
	@scripts/deps.sh run
	@scripts/win_deps.sh $(WIN_LIBS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS) --target assets icon
	cmake -S . -B $(WIN)/game -DCMAKE_TOOLCHAIN_FILE=win/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DSW_WIN_SYSROOT=$(abspath $(WIN_LIBS))/sysroot -DSW_WIN_ASSETS=$(abspath $(BUILD))/game \
	  -DSW_WIN_PACKAGE=$(abspath $(WIN))/SevenWell -DSW_WERROR=$(WIN_WERROR) >/dev/null
	cmake --build $(WIN)/game -j $(JOBS) --target windows_package
	@echo "Windows: $(WIN)/SevenWell.zip ($$(du -k $(WIN)/SevenWell.zip | cut -f1) kB)"

# The Windows build's unit, SDL-layer and call tests under Wine, then the
# zip's game under Wine on Xvfb (tests/e2e/wine.mjs).
win-test: windows
	@scripts/win_deps.sh $(WIN_LIBS) test
	cmake --build $(WIN)/game -j $(JOBS)
	cd $(WIN)/game && ctest --output-on-failure -j $(JOBS)
	cmake --build $(BUILD) -j $(JOBS) --target replay sevenwell score_ini
	WINEPREFIX=$(abspath $(WIN_LIBS))/wine $(E2E) $(BUILD) --wine $(WIN)/SevenWell.zip

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ) $(WEB) $(DEB) $(WIN)
