# Two commands: `make render` (the main job) and `make test` (build everything, run every test).
.PHONY: render test bench clean

render:
	scripts/render.sh $(ARGS)

test:
	scripts/test.sh

bench:
	scripts/bench.sh

clean:
	rm -rf build
