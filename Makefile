# make demo   builds everything and renders the gallery PNG
# make test   builds everything and runs the whole test suite
# PYTHON=/path/to/python overrides the interpreter (CPython 3.12 is the reference).

PYTHON ?= $(shell tools/find-python)
# VENV=.venv-x keeps a second environment (and its own build tree) beside the first.
VENV ?= .venv
BUILD_DIR := build/$(notdir $(VENV))
PYTEST_ARGS ?=
PY := $(VENV)/bin/python
PIP := $(PY) -m pip
export SDL_VIDEODRIVER ?= dummy
export SDL_AUDIODRIVER ?= dummy
export PYGAME_HIDE_SUPPORT_PROMPT := 1

SOURCES := $(shell find src host cmake -type f \( -name '*.cpp' -o -name '*.hpp' -o -name '*.py' -o -name '*.txt' -o -name '*.cmake' -o -name '*.toml' \)) CMakeLists.txt pyproject.toml

.PHONY: all build demo test clean

all: build

$(VENV)/.ready: requirements-dev.txt
	@test -n "$(PYTHON)" || { echo "no usable Python interpreter found" >&2; exit 1; }
	$(PYTHON) -m venv --clear $(VENV)
	$(PIP) install --upgrade pip
	$(PIP) install -r requirements-dev.txt
	touch $@

$(VENV)/.built: $(VENV)/.ready $(SOURCES)
	$(PIP) install --no-build-isolation --no-deps -C build-dir=$(CURDIR)/$(BUILD_DIR)/host ./host
	$(PIP) install --no-build-isolation --no-deps -C build-dir=$(CURDIR)/$(BUILD_DIR)/fast .
	touch $@

build: $(VENV)/.built

demo: build
	$(PY) examples/gallery.py

test: build
	$(PY) -m pytest $(PYTEST_ARGS)

clean:
	rm -rf build $(VENV) demo-output
