'use strict';

// One class's table; the same file serves /klasse/1 to /klasse/21.
(() => {
    const match = /^\/klasse\/(\d{1,2})\/?$/.exec(location.pathname);
    const number = match ? Number(match[1]) : 0;
    const valid = number >= 1 && number <= Live.CLASS_COUNT;

    function render() {
        const content = document.getElementById('content');
        if (!valid) {
            content.replaceChildren(Live.el('h1', 'class-name', 'Unbekannte Klasse'));
            return;
        }
        document.title = 'Pylonix – ' + Live.classTitle(number);
        content.replaceChildren(Live.classView(number, 'h1'));
    }

    Live.onChange(render);
    Live.start();
})();
