# `make run` builds and starts the console; `make test` builds and runs every test;
# `make package` builds the Debian package.
BUILD ?= build
PACKAGE_BUILD ?= build-package
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: deps configure build run listener test bench package clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/with-display.sh $(BUILD)/console/vorlanix

listener: build
	@scripts/with-display.sh $(BUILD)/listener/Kestwold

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b; done

# A tree of its own, configured for /usr, so the installed programs look for their data there.
package: deps
	@cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS) --target vorlanix Kestwold install_data
	@cd $(PACKAGE_BUILD) && cpack -G DEB >/dev/null
	@ls $(PACKAGE_BUILD)/*.deb

clean:
	rm -rf $(BUILD) $(PACKAGE_BUILD)
