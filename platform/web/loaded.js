// The last lines of each program's script: a script that arrived whole and ran to its end
// says so, so that the page can tell it from one cut short, replaced by another file, or
// failing as it runs, none of which the browser reports as a failed load.
Module['vellumArrived'] = true;
