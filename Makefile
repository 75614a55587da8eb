# Two commands: `make render` (the main job) and `make test` (build everything, run every test).
# Installing is a third, optional step: `make install` (PREFIX, DESTDIR), `make install-user`, `make dist`.
.PHONY: render test bench clean install uninstall install-user uninstall-user dist
PREFIX ?= /usr/local
export PREFIX DESTDIR

render:
	scripts/render.sh $(ARGS)

test:
	scripts/test.sh

bench:
	scripts/bench.sh

clean:
	rm -rf build

install uninstall install-user uninstall-user:
	scripts/install.sh $@

dist:
	scripts/dist.sh
