# make demo   builds everything and renders the gallery PNG
# make test   builds everything and runs the whole test suite
# PYTHON=/path/to/python overrides the interpreter (CPython 3.12 is the reference).

PYTHON ?= $(shell tools/find-python)
# VENV=.venv-x keeps a second environment (and its own build tree) beside the first.
VENV ?= .venv
BUILD_DIR := build/$(notdir $(VENV))
PYTEST_ARGS ?=
# PYGAME=pygame-ce builds and tests against pygame's community edition instead.
PYGAME ?= pygame
# SANITIZE=1 builds the extension modules with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the tests with their runtimes preloaded.
SANITIZE ?= 0
ifeq ($(SANITIZE),1)
CMAKE_DEFINES := -C cmake.define.ZUVO_SANITIZE=ON -C cmake.build-type=RelWithDebInfo
TEST_ENV := LD_PRELOAD="$$(gcc -print-file-name=libasan.so) $$(gcc -print-file-name=libubsan.so)" \
	ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
endif
# FUZZ=1 builds with clang for atheris (make fuzz): branch coverage, ASan and UBSan.
FUZZ ?= 0
BUILT := $(VENV)/.built
ifeq ($(FUZZ),1)
CMAKE_DEFINES := -C cmake.define.ZUVO_FUZZ=ON -C cmake.build-type=RelWithDebInfo
BUILD_ENV := CC=clang CXX=clang++
# Another compiler needs another CMake tree, and its own stamp in the environment.
BUILD_DIR := $(BUILD_DIR)-clang-fuzz
BUILT := $(VENV)/.built-fuzz
endif
# WHEELS_FROM=DIR installs the wheels another environment's build left in DIR
# instead of compiling: for an environment that differs only in what no native
# module is compiled against (pygame or pygame-ce: curvix finds pygame at call
# time, and nothing includes its headers).
WHEELS_FROM ?=
PY := $(VENV)/bin/python
PIP := $(PY) -m pip
export SDL_AUDIODRIVER ?= dummy
export PYGAME_HIDE_SUPPORT_PROMPT := 1

SOURCES := $(shell find src host cmake kernelprobe -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.py' -o -name '*.txt' -o -name '*.cmake' -o -name '*.toml' \)) CMakeLists.txt pyproject.toml

.PHONY: all build demo test bench bench-one bench-callgrind test-sanitize test-pygame-ce test-python3.13 check-wheel fuzz clean
.PHONY: test-native test-aarch64 test-clang test-cross native-run native-modules native-objects

all: build

$(VENV)/.ready: requirements-dev.txt
	@test -n "$(PYTHON)" || { echo "no usable Python interpreter found" >&2; exit 1; }
	$(PYTHON) -m venv --clear $(VENV)
	$(PIP) install --upgrade pip
	$(PIP) install -r requirements-dev.txt "$(PYGAME)>=2.5"
	touch $@

# Each build leaves its wheels in $(BUILD_DIR)/wheels, for WHEELS_FROM.
$(BUILT): $(VENV)/.ready $(SOURCES)
	rm -f $(VENV)/.built $(VENV)/.built-fuzz
ifeq ($(WHEELS_FROM),)
	rm -rf $(BUILD_DIR)/wheels
	$(BUILD_ENV) $(PIP) wheel --no-build-isolation --no-deps -w $(BUILD_DIR)/wheels -C build-dir=$(CURDIR)/$(BUILD_DIR)/host $(CMAKE_DEFINES) ./host
	$(BUILD_ENV) $(PIP) wheel --no-build-isolation --no-deps -w $(BUILD_DIR)/wheels -C build-dir=$(CURDIR)/$(BUILD_DIR)/fast $(CMAKE_DEFINES) .
	$(BUILD_ENV) $(PIP) wheel --no-build-isolation --no-deps -w $(BUILD_DIR)/wheels -C build-dir=$(CURDIR)/$(BUILD_DIR)/kernelprobe $(CMAKE_DEFINES) ./kernelprobe
	$(PIP) install --no-deps --force-reinstall $(BUILD_DIR)/wheels/*.whl
else
	$(PIP) install --no-deps --force-reinstall $(WHEELS_FROM)/*.whl
endif
	touch $@

build: $(BUILT)

demo: build
	$(PY) examples/gallery.py

# pytest's exit status 5 (no test selected) fails like any other: a stage
# whose selection matches nothing proves nothing.
test: build
	$(TEST_ENV) $(PY) -m pytest $(PYTEST_ARGS) || { status=$$?; \
		[ $$status -ne 5 ] || echo "make test: no test was selected (PYTEST_ARGS=$(PYTEST_ARGS))" >&2; \
		exit $$status; }

# The benchmark suite (never part of make test), on pygame and then on pygame-ce,
# each in its own environment: prints a table for each and writes
# bench-results.json and bench-results-pygame-ce.json.
# pycairo, a peer measured against, is built from source against Debian's cairo;
# it goes into the environments here only, never into requirements-dev.txt.
BENCH_OUT ?= bench-results.json
bench:
	$(MAKE) bench-one
	$(MAKE) VENV=.venv-pygame-ce PYGAME=pygame-ce BENCH_OUT=bench-results-pygame-ce.json bench-one

bench-one: build
	@pkg-config --exists cairo 2>/dev/null || { apt-get update && apt-get install -y libcairo2-dev pkg-config; }
	@$(PY) -c "import cairo" 2>/dev/null || $(PIP) install pycairo
	$(PY) bench/run.py --output $(BENCH_OUT)
	$(PY) bench/per_pixel.py $(BENCH_OUT)

# Instruction counts of one fixed case of each kernel under callgrind: free of
# the machine's noise, for comparing a change with its predecessor.
bench-callgrind: build
	@command -v valgrind >/dev/null || { apt-get update && apt-get install -y valgrind; }
	$(PY) bench/callgrind.py --output $(BUILD_DIR)/callgrind-results.json

# The stages beyond make test run the tests whose outcome can differ there,
# chosen by the markers declared (with their rules) in pyproject.toml; an empty
# selection (e.g. make test-clang CLANG_TESTS=) runs the whole suite.
SANITIZE_TESTS ?= -m 'not sanitizer_invariant and not repeated'
PYGAME_CE_TESTS ?= -m pygame_ce
PY313_TESTS ?= -m py313
CLANG_TESTS ?= -m 'clang and not repeated'

# The suite against the sanitizer build, in an environment of its own, but for
# the checks the sanitizers cannot change (mypy, the README, the demo window,
# the leak loops), which make test runs.
test-sanitize:
	$(MAKE) VENV=.venv-sanitize SANITIZE=1 PYTEST_ARGS="$(SANITIZE_TESTS) $(PYTEST_ARGS)" test

# The tests marked py313 on CPython 3.13 (found through pyenv), in an
# environment and a build of its own.
test-python3.13:
	@p=$$(pyenv prefix 3.13 2>/dev/null | head -n 1); \
	if [ -x "$$p/bin/python3.13" ]; then $(MAKE) VENV=.venv-313 PYTHON="$$p/bin/python3.13" \
		PYTEST_ARGS="$(PY313_TESTS) $(PYTEST_ARGS)" test; \
	else echo "CPython 3.13 is not installed through pyenv: skipped"; fi

# Every target in fuzz/ for FUZZ_SECONDS seconds under atheris, in an environment
# of its own, against a clang build (FUZZ=1) whose native branches guide the
# fuzzer and which ASan and UBSan check; findings go to fuzz/artifacts/ and fail
# the run.  clang and atheris are installed when missing; without atheris it fails.
FUZZ_SECONDS ?= 60
FUZZ_VENV := $(if $(filter .venv,$(VENV)),.venv-fuzz,$(VENV))
fuzz:
	@command -v clang++ >/dev/null 2>&1 || { apt-get update && apt-get install -y clang; } || \
		{ echo "make fuzz: clang could not be installed; nothing was fuzzed" >&2; exit 1; }
	$(MAKE) VENV=$(FUZZ_VENV) $(FUZZ_VENV)/.ready
	@$(FUZZ_VENV)/bin/python -c "import atheris" 2>/dev/null || $(FUZZ_VENV)/bin/python -m pip install atheris || \
		{ echo "make fuzz: atheris could not be installed; nothing was fuzzed" >&2; exit 1; }
	$(MAKE) VENV=$(FUZZ_VENV) FUZZ=1 build
	fuzz/run $(FUZZ_VENV)/bin/python $(FUZZ_SECONDS)

# The sdist, and the wheel built from it: contents and metadata checked, then
# installed into fresh virtual environments (beside the stand-in host; with
# pygame only, running the README's files for use without the toolkit; from
# the sdist with the pygame extra).
check-wheel:
	tools/check-wheel "$(PYTHON)"

# The tests marked pygame_ce against pygame-ce, in an environment of its own
# that installs the wheels of make build (nothing compiled differs).
test-pygame-ce: build
	$(MAKE) VENV=.venv-pygame-ce PYGAME=pygame-ce WHEELS_FROM=$(CURDIR)/$(BUILD_DIR)/wheels \
		PYTEST_ARGS="$(PYGAME_CE_TESTS) $(PYTEST_ARGS)" test

# The kernels' own test program (tests/native/), C++ with no Python: every path
# of the outline transform against the scalar kernel, byte for byte, plus the
# other kernels on odd layouts and the draw kernel against its plain form.  NATIVE_CXX compiles it into NATIVE_OUT and
# NATIVE_RUN (empty, or an emulator) runs it with NATIVE_ARGS; the targets below
# set them.  The cross and clang builds must also reproduce the host build's
# scalar kernel outputs: its digests (the curvix kernels', the draw kernel's,
# as KERNELS-DRAW) are passed to them with --digest.
KERNEL_DIR := src/zuvo_ui/fast/shapes/curvix/kernels
# The kernel sources are those kernels.cmake lists, one file name per line.
KERNEL_SOURCES := $(addprefix $(KERNEL_DIR)/,$(shell sed -n 's/^ *\([a-z0-9_]*\.cpp\) *$$/\1/p' $(KERNEL_DIR)/kernels.cmake))
NATIVE_HEADERS := $(wildcard $(KERNEL_DIR)/*.hpp $(KERNEL_DIR)/simd/*.hpp src/zuvo_ui/fast/support/*.hpp)
NATIVE_FLAGS := -std=c++20 -O2 -ffp-contract=off -fno-fast-math -Wall -Wextra
NATIVE_CXX ?= $(CXX)
NATIVE_OUT ?= build/native-$(notdir $(NATIVE_CXX))
NATIVE_LDFLAGS ?=
NATIVE_RUN ?=
NATIVE_ARGS ?=
# The AVX2 unit is built for AVX2 and FMA on x86 only (elsewhere it compiles to nothing).
NATIVE_X86 = $(filter x86_64-% i686-% i386-% amd64-%,$(shell $(NATIVE_CXX) -dumpmachine 2>/dev/null))
NATIVE_OBJECTS := $(patsubst $(KERNEL_DIR)/%.cpp,$(NATIVE_OUT)/%.o,$(KERNEL_SOURCES)) \
	$(NATIVE_OUT)/kernel_paths.o

$(NATIVE_OUT)/%.o: $(KERNEL_DIR)/%.cpp $(NATIVE_HEADERS) | $(NATIVE_OUT)/.dir
	$(NATIVE_CXX) $(NATIVE_FLAGS) $(if $(and $(NATIVE_X86),$(filter isa_avx2.o,$(@F))),-mavx2 -mfma) -c $< -o $@

$(NATIVE_OUT)/kernel_paths.o: tests/native/kernel_paths.cpp $(NATIVE_HEADERS) | $(NATIVE_OUT)/.dir
	$(NATIVE_CXX) $(NATIVE_FLAGS) -c $< -o $@

$(NATIVE_OUT)/kernel_paths: $(NATIVE_OBJECTS)
	$(NATIVE_CXX) $(NATIVE_OBJECTS) $(NATIVE_LDFLAGS) -o $@

$(NATIVE_OUT)/.dir:
	mkdir -p $(@D) && touch $@

native-run: $(NATIVE_OUT)/kernel_paths
	$(NATIVE_RUN) $(NATIVE_OUT)/kernel_paths $(NATIVE_ARGS)

# The modules' own sources beyond the kernels (the support layer, curvix, draw,
# panelix), compiled but not linked with NATIVE_CXX into NATIVE_OUT/modules,
# against the Python and NumPy headers MODULE_CPPFLAGS names, with NDEBUG as
# in a Release build: make test-cross, for systems no Python here runs on.
MODULE_SOURCES := $(filter-out $(KERNEL_DIR)/%,$(shell find src/zuvo_ui/fast -name '*.cpp'))
MODULE_HEADERS := $(shell find src/zuvo_ui/fast -name '*.hpp')
MODULE_OBJECTS = $(patsubst src/zuvo_ui/fast/%.cpp,$(NATIVE_OUT)/modules/%.o,$(MODULE_SOURCES))
MODULE_CPPFLAGS ?=

$(NATIVE_OUT)/modules/%.o: src/zuvo_ui/fast/%.cpp $(MODULE_HEADERS) | $(NATIVE_OUT)/.dir
	@mkdir -p $(@D)
	$(NATIVE_CXX) $(NATIVE_FLAGS) -DNDEBUG -fvisibility=hidden $(MODULE_CPPFLAGS) -c $< -o $@

native-modules: $(MODULE_OBJECTS)

# The kernel test program's objects, compiled and not linked.
native-objects: $(NATIVE_OBJECTS)

# The kernel test program built with the host compiler and run.
test-native:
	$(MAKE) native-run

# The same program cross-compiled for aarch64 (statically) and run under
# qemu-user; both are installed from Debian's archive when missing.
test-aarch64: $(NATIVE_OUT)/kernel_paths
	@command -v aarch64-linux-gnu-g++ >/dev/null 2>&1 && command -v qemu-aarch64 >/dev/null 2>&1 || \
		{ apt-get update && apt-get install -y --no-install-recommends g++-aarch64-linux-gnu qemu-user; } || \
		{ echo "make test-aarch64: g++-aarch64-linux-gnu or qemu-user could not be installed" >&2; exit 1; }
	digest=$$($(NATIVE_OUT)/kernel_paths --digest-only) && \
	$(MAKE) native-run NATIVE_CXX=aarch64-linux-gnu-g++ NATIVE_OUT=build/native-aarch64 \
		NATIVE_LDFLAGS=-static NATIVE_RUN=qemu-aarch64 NATIVE_ARGS="--digest $$digest"

# Everything built with clang in an environment of its own: the tests marked
# clang, then the kernel test program built with clang++ at -O3, as CMake's
# Release builds the modules on Linux and macOS (so the per-path tests in
# Python need not run here), and once more at -O2 without __GNUC__, the macros
# and the optimisation clang-cl's Release builds the kernels with.
test-clang: $(NATIVE_OUT)/kernel_paths
	@command -v clang++ >/dev/null 2>&1 || { apt-get update && apt-get install -y clang; } || \
		{ echo "make test-clang: clang could not be installed" >&2; exit 1; }
	$(MAKE) VENV=.venv-clang BUILD_ENV="CC=clang CXX=clang++" PYTEST_ARGS="$(CLANG_TESTS) $(PYTEST_ARGS)" test
	digest=$$($(NATIVE_OUT)/kernel_paths --digest-only) && \
	$(MAKE) native-run NATIVE_CXX=clang++ NATIVE_OUT=build/native-clang-O3 NATIVE_FLAGS="$(NATIVE_FLAGS) -O3" \
		NATIVE_ARGS="--digest $$digest" && \
	$(MAKE) native-run NATIVE_CXX="clang++ -U__GNUC__" NATIVE_OUT=build/native-clang-cl-macros \
		NATIVE_ARGS="--digest $$digest"

# The same program for other systems, built by Zig's clang (PyPI's ziglang),
# which brings each system's C library, C++ library and headers: for Windows
# x86-64 (MinGW's ABI), compiled, linked and run under Debian's wine64 with its
# digest held to the host build's; for macOS arm64 and x86-64, compiled and
# linked (nothing here runs them).  A target's first link builds Zig's C++
# library and runtime for it, over a minute of CPU each: .ci/run links the
# Windows program only (CROSS_LINKED=x86_64-windows-gnu) and compiles the
# macOS ones (their AVX2 unit too), within CI's time.  Zig's runtime answers no
# to every __builtin_cpu_supports, so the Windows program leaves AVX2 out and
# runs the scalar and SSE2 paths: those of the Windows wheels, whose clang-cl
# builds no AVX2 path at all.  The modules' other sources are compiled for
# Windows too (native-modules), against CPython's headers from Debian's
# CPython source package (3.11, Debian 12's; MS_WIN64, as MinGW compilers need
# it defined) and NumPy's from its Windows wheel, both fetched by
# tools/cross-headers.  Warnings fail all of these builds.
# Zig keeps what it builds in its cache (~/.cache/zig), but only for the same
# installation of Zig (a reinstall, even of the same version, misses it), so
# ziglang goes into a virtual environment kept outside the work tree, in
# ZIG_HOME, with the headers, and a fresh clone on the same machine finds them
# all.  make -j builds the programs, the host one, the modules' sources and
# wine's prefix side by side.
ZIG_VERSION := 0.17.1
ZIG_HOME ?= $(HOME)/.cache/zuvo-ui
ZIG_VENV := $(ZIG_HOME)/ziglang-$(ZIG_VERSION)
ZIG := $(ZIG_VENV)/bin/zig
CROSS_HEADERS := $(ZIG_HOME)/headers
CROSS_NUMPY := 2.5.5
WINE ?= /usr/lib/wine/wine64
CROSS_RUN := x86_64-windows-gnu
CROSS_MACOS := aarch64-macos x86_64-macos
CROSS_LINKED := $(CROSS_RUN) $(CROSS_MACOS)
CROSS_COMPILED := $(filter-out $(CROSS_LINKED),$(CROSS_MACOS))
CROSS_MODULES := $(CROSS_RUN)
# The Python headers and NumPy wheel platform of the targets whose modules are compiled.
cross_python_x86_64-windows-gnu = -DMS_WIN64 -I$(CROSS_HEADERS)/cpython-windows/include
cross_numpy_x86_64-windows-gnu := win_amd64
# The link is at -O2 as well: Zig builds each target's C++ library in the
# link's mode, and an optimised one costs less to build than a debug one,
# which comes with UBSan's runtime.  The recipes that call cross_make start
# with '+': make cannot see $(MAKE) through $(call), and would otherwise give
# the sub-make no share of its jobs (-j1).
cross_make = $(MAKE) NATIVE_CXX="$(ZIG) c++ -target $(1)" NATIVE_OUT=build/native-$(1) \
	NATIVE_FLAGS="$(NATIVE_FLAGS) -Werror" NATIVE_LDFLAGS=-O2

test-cross: $(addprefix cross-run-,$(CROSS_RUN))

.PHONY: $(addprefix cross-run-,$(CROSS_RUN)) $(addprefix cross-link-,$(CROSS_LINKED)) \
	$(addprefix cross-compile-,$(CROSS_COMPILED)) $(addprefix cross-modules-,$(CROSS_MODULES))
$(addprefix cross-link-,$(CROSS_LINKED)): cross-link-%: $(ZIG)
	+$(call cross_make,$*) build/native-$*/kernel_paths

$(addprefix cross-compile-,$(CROSS_COMPILED)): cross-compile-%: $(ZIG)
	+$(call cross_make,$*) native-objects

# The program runs last, once everything else has been built (while wine was
# installed and its prefix made), so that its summary closes the output.
$(addprefix cross-run-,$(CROSS_RUN)): cross-run-%: cross-link-% $(addprefix cross-link-,$(CROSS_LINKED)) \
		$(addprefix cross-compile-,$(CROSS_COMPILED)) $(addprefix cross-modules-,$(CROSS_MODULES)) \
		$(NATIVE_OUT)/kernel_paths build/wine/.ready
	+digest=$$($(NATIVE_OUT)/kernel_paths --digest-only) && \
	$(call cross_make,$*) native-run NATIVE_RUN="WINE=$(WINE) tools/wine-run" NATIVE_ARGS="--digest $$digest"

$(addprefix cross-modules-,$(CROSS_MODULES)): cross-modules-%: $(ZIG) build/cross-headers.stamp
	+$(call cross_make,$*) native-modules \
		MODULE_CPPFLAGS="$(cross_python_$*) -I$(CROSS_HEADERS)/numpy-$(CROSS_NUMPY)-$(cross_numpy_$*)/include"

# Fetched once into ZIG_HOME; the stamp says this tree has checked they are there.
build/cross-headers.stamp: tools/cross-headers
	@test -n "$(PYTHON)" || { echo "no usable Python interpreter found" >&2; exit 1; }
	NUMPY=$(CROSS_NUMPY) tools/cross-headers "$(PYTHON)" $(CROSS_HEADERS)
	mkdir -p $(@D) && touch $@

# Made under a name of its own and renamed, so that two builds at once cannot
# leave half an environment behind.
$(ZIG):
	@test -n "$(PYTHON)" || { echo "no usable Python interpreter found" >&2; exit 1; }
	part=$(ZIG_VENV).part-$$$$ && rm -rf $$part && $(PYTHON) -m venv $$part && \
	$$part/bin/python -m pip install ziglang==$(ZIG_VERSION) && \
	{ mv -T $$part $(ZIG_VENV) 2>/dev/null || rm -rf $$part; }
	ln -sf "$$($(ZIG_VENV)/bin/python -c 'import ziglang, os; print(os.path.dirname(ziglang.__file__))')/zig" $@

# wine64 from Debian's archive when missing (without its recommends: no 32-bit
# wine, no fonts), and wine's prefix for this tree, made once.
build/wine/.ready:
	@test -x $(WINE) || { apt-get update && apt-get install -y --no-install-recommends wine64; } || \
		{ echo "make test-cross: wine64 could not be installed" >&2; exit 1; }
	WINE=$(WINE) tools/wine-run wineboot --init
	touch $@

clean:
	rm -rf build .venv .venv-* demo-output
