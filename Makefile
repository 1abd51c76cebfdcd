# Korvo: `make run` installs what is missing, builds and starts the program;
# `make demo` shows a server and a client working together; `make test` installs,
# builds and runs every test; `make package` and `make package-windows` build the
# Debian package and the Windows zip and installer.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_WERROR=ON

.PHONY: all deps configure build run demo demo-wayland test test-windows windows package \
	package-windows test-package sanitize tsan bench soak real-clients faults bench-wayland \
	fuzz format format-check clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@scripts/run-korvo $(BUILD_DIR)/korvo

# A server on a private desktop and a client logged in to it; Ctrl+C ends it.
demo: build
	@scripts/demo $(BUILD_DIR)/korvo

# The same with the server on a private headless GNOME Wayland session.
demo-wayland: build
	@scripts/demo --wayland $(BUILD_DIR)/korvo

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The Debian package, $(BUILD_DIR)/korvo_<version>_<arch>.deb: the program, its help, menu
# entry, icons, metainfo and man page; dependencies from dpkg-shlibdeps.
package: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target korvo korvo_help korvo_package_files
	@cd $(BUILD_DIR) && cpack -G DEB

# The package installed with apt, started from its menu entry by an ordinary user, removed
# again (needs root, or sudo).
test-package: configure
	@scripts/test-package

# The Windows program, cross-built with mingw-w64 into build-win/korvo.exe, and its tests
# under Wine.
windows:
	@scripts/build-windows

test-windows:
	@scripts/test-windows

# The Windows zip and installer, build-win/korvo-<version>-win64.zip and
# build-win/korvo-<version>-setup.exe.
package-windows:
	@scripts/package-windows

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DKORVO_WERROR=ON -DKORVO_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 900

# The threaded tests (server thread, GUI loop and role threads, thread and semaphore
# primitives, the dialogs driven from a second thread, the input capture, the client's
# threads) under ThreadSanitizer.
TSAN_TESTS = server_integration_test client_integration_test shell_loop_test \
	platform_linux_test viewer_input_test dialogs_test
tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_WERROR=ON \
		-DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS)
	@for t in $(TSAN_TESTS); do \
		TSAN_OPTIONS=halt_on_error=1 $$(find build-tsan/tests -type f -name "$$t") --gtest_brief=1 || exit 1; \
	done

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The server's CPU per frame on a private headless GNOME Wayland session, at two monitor sizes.
bench-wayland: build
	@for size in 1280x800 1920x1080; do \
		KORVO_SESSION_SIZE=$$size tests/wayland/in_private_session.sh $(BUILD_DIR)/bench/wayland_frame_cost || exit 1; \
	done

# Twenty clients and five kinds of attack against one server for ten minutes
# (docs/reliability.md); SOAK_SECONDS shortens it.
SOAK_SECONDS ?= 600
soak: build
	@$(BUILD_DIR)/bench/soak $(SOAK_SECONDS)

# The real program as twenty clients of one server, and the fault runs (docs/reliability.md).
real-clients: build
	@bench/real_clients $(BUILD_DIR)/korvo 20 $(SOAK_SECONDS)
faults: build
	@$(BUILD_DIR)/bench/faults

# Fuzz targets need clang and libFuzzer.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVO_FUZZ=ON \
		-DKORVO_TESTS=OFF -DKORVO_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_settings_document fuzz_server_request fuzz_jpeg_decode \
		fuzz_client_receive fuzz_login_event
	@mkdir -p build-fuzz/corpus/settings_document build-fuzz/corpus/server_request build-fuzz/corpus/jpeg_decode \
		build-fuzz/corpus/client_receive build-fuzz/corpus/login_event
	@build-fuzz/fuzz/fuzz_settings_document -max_total_time=60 build-fuzz/corpus/settings_document fuzz/corpus/settings_document
	@build-fuzz/fuzz/fuzz_server_request -max_total_time=60 build-fuzz/corpus/server_request fuzz/corpus/server_request
	@build-fuzz/fuzz/fuzz_jpeg_decode -max_total_time=60 -rss_limit_mb=4096 build-fuzz/corpus/jpeg_decode fuzz/corpus/jpeg_decode
	@build-fuzz/fuzz/fuzz_client_receive -max_total_time=60 -max_len=8192 build-fuzz/corpus/client_receive fuzz/corpus/client_receive
	@build-fuzz/fuzz/fuzz_login_event -max_total_time=60 build-fuzz/corpus/login_event fuzz/corpus/login_event

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i

format-check:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror

clean:
	@rm -rf $(BUILD_DIR) $(ASAN_DIR) build-fuzz build-tsan build-win
