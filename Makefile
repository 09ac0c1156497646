# The two set-up commands: `make run` and `make test`. Each installs what is
# missing, configures, builds, and then runs or tests.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: deps configure build run test deb clean

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

run: build
	@scripts/run-demo $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j2

# One package of both programs, from the same build: build/package/*.deb,
# then lintian's report on it (its errors fail).
deb: build
	@scripts/install-deps --package
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@lintian --fail-on error $(BUILD)/package/sonorbox_*.deb

clean:
	rm -rf $(BUILD)
