// Removes the product's scheduled tasks from the Task Scheduler.
#pragma once

// Deletes each of the product's tasks; true when none of them is left (deleted or never
// there). COM must be initialised on the calling thread.
bool DeleteScheduledTasks();
