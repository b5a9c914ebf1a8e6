# Two commands set up, build and use Zemra Telvo on a fresh Debian 12 machine (as root):
#   make run    builds the three programs only (zemra-telvo, zemra-module, zemra-quorvel) and
#               starts zemra-telvo with the built-in demo module
#   make test   builds everything and runs the whole test suite: a normal build, then again under
#               AddressSanitizer + UndefinedBehaviorSanitizer (and the fuzzer), then the threaded
#               tests under ThreadSanitizer
# `make bench` builds everything, installs the peers it compares with (picocom, tio) when they
# are missing, and runs every benchmark (bench/): Google Benchmark's programs, the wakeups of an
# idle program, the transfer screen against cat, and the peers side by side with the floods
# (about ten minutes). Programs land in build/bin/.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
# Our own builds stop at any warning; a plain cmake build (a user's, a packager's) only warns.
CMAKE_COMMON := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZT_WERROR=ON
# The sanitizer passes build without NDEBUG, so the model's main-thread assertions run too.
CMAKE_CHECKED := -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZT_WERROR=ON

# Debian packages the build and the tests need; installed only when missing.
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
            googletest libgtest-dev libgmock-dev libbenchmark-dev \
            libsqlite3-dev libssl-dev openssl libncurses-dev libudev-dev tmux \
            libsystemd-dev python3-dbusmock dbus-daemon
# Installing and packaging: cpack's Debian package (dpkg-shlibdeps), the manual pages' checks.
PACKAGES += dpkg-dev groff-base man-db
# The programs bench/peers.py runs beside zemra-telvo; `make bench` only.
BENCH_PACKAGES := picocom tio
PROGRAMS := zemra-telvo zemra-module zemra-quorvel

.PHONY: deps bench-deps configure programs build run test test-normal test-asan test-tsan \
        bench clean

# Installs the Debian packages of $(1) that are missing.
define install_missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -q && apt-get install -y -q --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

# A peer that cannot be had is left out: the benchmark says so and measures the others.
bench-deps:
	-$(call install_missing,$(BENCH_PACKAGES))

configure: deps
	cmake -S . -B build $(CMAKE_COMMON) -DZT_BUILD_BENCH=ON

# The programs alone: a first `make run` builds no test and no benchmark.
programs: configure
	cmake --build build -j $(JOBS) --target $(PROGRAMS)

build: configure
	cmake --build build -j $(JOBS)

run: programs
	./build/bin/zemra-telvo

test: test-normal test-asan test-tsan

test-normal: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	CC=clang CXX=clang++ cmake -S . -B build-asan $(CMAKE_CHECKED) \
	  -DZT_SANITIZE=address,undefined -DZT_BUILD_FUZZ=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

test-tsan: deps
	cmake -S . -B build-tsan $(CMAKE_CHECKED) -DZT_SANITIZE=thread -DZT_THREADED_TESTS_ONLY=ON
	cmake --build build-tsan -j $(JOBS)
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	  ctest --output-on-failure -j $(JOBS) -L threaded

bench: build bench-deps
	./build/bin/zt_bench
	bench/idle_wakeups.sh
	bench/transfer_throughput.sh
	bench/peers.py

clean:
	rm -rf build build-asan build-tsan
