# Seven Well. `make run` builds and plays; `make test` builds and runs every test.
BUILD ?= build
ASAN  ?= build-asan
JOBS  ?= $(shell nproc)

.PHONY: run test game bench contact soak fuzz clean

game:
	@scripts/deps.sh run
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

run: game
	$(BUILD)/game/sevenwell

# Everything in the normal build (with the real-window tests under Xvfb),
# then the game's code again under AddressSanitizer + UBSan.
test:
	@scripts/deps.sh test
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DSW_SANITIZE=ON -DSW_BENCH=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ctest --output-on-failure -j $(JOBS) -LE real_window

bench: game
	cmake --build $(BUILD) -j $(JOBS) --target benchmarks
	bench/run_benchmarks.sh $(BUILD)

contact: game
	cmake --build $(BUILD) --target contact_sheet
	@echo "contact sheet: $(BUILD)/contact_sheet.png"

clean:
	rm -rf $(BUILD) $(ASAN)
